#!/usr/bin/env bash
# The Windows edition's replacing run under Wine: what a BackupRun in
# replace mode costs per database, each database's old NAME.bak set aside
# and then sent to the recycle bin through the shell (under Wine the
# freedesktop trash of the road's home), against the minimal loop of the
# same ODBC calls, interleaved round by round
# (bench/windows/replace_bench.cpp). On the tests' road
# (scripts/wine-road.sh), with a stand-in of its own that serves DATABASES
# databases of 16KB and Wine's drive Z: (this machine's root).
#   bench/wine_replace_bench.sh BUILD_WINDOWS SQLSTANDIN [DATABASES] [ROUNDS]
# (defaults 1000 databases, 5 rounds: 80 s on a quiet machine, under three
# minutes on a busy one). The road is brought up for the run
# and taken down after it: not while the Windows tests of the same build run.
set -Eeuo pipefail
trap 'status=$?; [ "$BASH_SUBSHELL" -gt 0 ] || echo "wine_replace_bench: stopped at line $LINENO: $BASH_COMMAND (status $status)" >&2' ERR
fail() { echo "wine_replace_bench: $*" >&2; exit 1; }

usage="usage: wine_replace_bench.sh BUILD_WINDOWS SQLSTANDIN [DATABASES] [ROUNDS]"
build=$(cd "${1:?$usage}" && pwd)
standin=${2:?$usage}
databases=${3:-1000}
rounds=${4:-5}
size=16KB
road=$(cd "$(dirname "$0")/.." && pwd)/scripts/wine-road.sh
for file in replace_bench.exe wine_road_keeper.exe; do
  [ -f "$build/$file" ] || fail "no $build/$file: build it (scripts/build-windows.sh)"
done
[ -x "$standin" ] || fail "no stand-in at $standin"

work=$build/wine-replace-bench
rm -rf "$work"
mkdir -p "$work/backups"
windows() { local path=${1//\//\\}; echo "Z:$path"; }

server=""
bench=""
cleanup() {
  [ -n "$bench" ] && kill "$bench" 2>/dev/null || true
  [ -n "$server" ] && kill "$server" 2>/dev/null || true
  "$road" "$build" down >/dev/null 2>&1 || true
}
trap cleanup EXIT
"$road" "$build" up "$standin" "$build/wine_road_keeper.exe" >"$work/road.log" 2>&1 ||
  fail "the road did not come up: $(cat "$work/road.log")"

# The road's stand-in serves a handful of databases: this one serves the run's.
password="Bench#$(od -An -N6 -tx1 /dev/urandom | tr -d ' \n')"
args=()
for i in $(seq "$databases"); do args+=(--database "$(printf 'db%04d' "$i"):$size"); done
"$standin" --port 0 --login "sa:$password" "${args[@]}" --backup-dir "$work/backups" --drive "Z:=/" \
  >"$work/standin.out" 2>"$work/standin.err" </dev/null &
server=$!
for _ in $(seq 100); do
  grep -q "^sqlstandin ready on" "$work/standin.out" && break
  kill -0 "$server" 2>/dev/null || fail "the stand-in ended: $(cat "$work/standin.err")"
  sleep 0.1
done
port=$(sed -n 's/^sqlstandin ready on 127\.0\.0\.1:\([0-9]*\)$/\1/p' "$work/standin.out")
[ -n "$port" ] || fail "the stand-in did not start: $(cat "$work/standin.err")"

# The wineserver the programs talk to.
wineserver=$("$road" "$build" wineserver)
[ -n "$wineserver" ] || fail "the prefix's wineserver was not found"

started=$SECONDS
"$road" "$build" run "$build/replace_bench.exe" "127.0.0.1,$port" "$password" "$(windows "$work")" \
  "$databases" "$size" "$rounds" >"$work/bench.out" 2>"$work/bench.err" &
bench=$!
# The program's process on this machine, named by its Windows path; it
# reads its own and the wineserver's CPU time from /proc with these ids.
program=""
for _ in $(seq 300); do
  for p in /proc/[0-9]*; do
    if tr '\0' '\n' 2>/dev/null <"$p/cmdline" | head -1 | grep -qi 'replace_bench\.exe$'; then
      program=$(basename "$p")
      break
    fi
  done
  [ -n "$program" ] && break
  kill -0 "$bench" 2>/dev/null || break
  sleep 0.1
done
[ -n "$program" ] || fail "the program's process was not found: $(cat "$work/bench.err")"
echo "$program $wineserver" >"$work/pids.new"
mv "$work/pids.new" "$work/pids"
status=0
wait "$bench" || status=$?
bench=""
[ "$status" -eq 0 ] || fail "the Windows side failed (status $status): $(cat "$work/bench.err")"
# The program writes lines the Windows way; the figures are read the way of this machine.
tr -d '\r' <"$work/bench.out"
echo "  (the $rounds round(s) of $databases databases took $((SECONDS - started)) s under Wine)"
