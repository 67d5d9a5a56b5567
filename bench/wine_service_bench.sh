#!/usr/bin/env bash
# The Windows edition's background service (ondrel.exe --service) under
# Wine's service manager, on the tests' road (scripts/wine-road.sh):
# installed from a folder of its own with its settings file beside it, idle
# with its schedule loaded and no slot due, against a bare Windows process
# that wakes every second (bench/bare_ticker.cpp built with mingw-w64), both
# in one run, and against the same process importing the system DLLs that
# ondrel.exe imports (what Wine's loading of them costs, apart from the
# service's own); then how late its slots' statements reach the stand-in.
#   bench/wine_service_bench.sh BUILD_WINDOWS SQLSTANDIN [IDLE_SECONDS] [SLOTS]
# (defaults 60 s and 10 slots). The road is brought up for the run and taken
# down after it: not while the Windows tests of the same build run.
set -Eeuo pipefail
trap 'status=$?; [ "$BASH_SUBSHELL" -gt 0 ] || echo "wine_service_bench: stopped at line $LINENO: $BASH_COMMAND (status $status)" >&2' ERR
fail() { echo "wine_service_bench: $*" >&2; exit 1; }

usage="usage: wine_service_bench.sh BUILD_WINDOWS SQLSTANDIN [IDLE_SECONDS] [SLOTS]"
build=$(cd "${1:?$usage}" && pwd)
standin=${2:?$usage}
idle=${3:-60}
slots=${4:-10}
road=$(cd "$(dirname "$0")/.." && pwd)/scripts/wine-road.sh
for file in ondrel.exe bare_ticker.exe bare_ticker_imports.exe wine_road_keeper.exe; do
  [ -f "$build/$file" ] || fail "no $build/$file: build it (scripts/build-windows.sh)"
done

work=$build/wine-service-bench
rm -rf "$work"
mkdir -p "$work/service" "$work/bak"
cp "$build/ondrel.exe" "$work/service/ondrel.exe"
windows() { local path=${1//\//\\}; echo "Z:$path"; }

installed=false
runners=()
cleanup() {
  if $installed; then
    "$road" "$build" run "$work/service/ondrel.exe" --uninstall-service </dev/null >>"$work/road.log" 2>&1 || true
  fi
  for runner in "${runners[@]}"; do kill "$runner" 2>/dev/null || true; done
  "$road" "$build" down >/dev/null 2>&1 || true
}
trap cleanup EXIT
"$road" "$build" up "$standin" "$build/wine_road_keeper.exe" >"$work/road.log" 2>&1 ||
  fail "the road did not come up: $(cat "$work/road.log")"
server=$(sed -n 's/^ONDREL_STANDIN_SERVER=//p' "$build/wine-road/env")
password=$(sed -n 's/^ONDREL_STANDIN_PASSWORD=//p' "$build/wine-road/env")
statements=$build/wine-road/standin/statements.jsonl

# settings SLOT1: the window's settings file in the window's code page,
# beside the service's program, saved the way the window saves it.
settings() {
  printf '%s\r\n' "------服务器配置------" "$server" sa "$password" "------需备份列表------" 2 Sales crm \
    "请勿修改" "-------备份位置-------" "$(windows "$work/bak")\\" "-------系统配置-------" True False 0 \
    "$1" "$(date -d '+7 hours' +%H:%M:%S)" "$(date -d '+8 hours' +%H:%M:%S)" |
    iconv -f UTF-8 -t GBK >"$work/service/ondrel.ini.new"
  mv "$work/service/ondrel.ini.new" "$work/service/ondrel.ini"
}
settings "$(date -d '+6 hours' +%H:%M:%S)"

"$road" "$build" run "$work/service/ondrel.exe" --install-service </dev/null >"$work/install.out" 2>&1 ||
  fail "not installed: $(cat "$work/install.out")"
installed=true
for ticker in bare_ticker bare_ticker_imports; do
  "$road" "$build" run "$build/$ticker.exe" </dev/null >/dev/null 2>&1 &
  runners+=("$!")
done

# Each Windows program is one process of this machine, named by its
# path as it was started.
. "$(dirname "$0")/process_figures.sh"
service="" baseline="" imports=""
for _ in $(seq 150); do
  service=$(process_of "$(windows "$work/service")\\ondrel.exe")
  baseline=$(process_of "$build/bare_ticker.exe")
  imports=$(process_of "$build/bare_ticker_imports.exe")
  [ -n "$service" ] && [ -n "$baseline" ] && [ -n "$imports" ] && break
  sleep 0.1
done
[ -n "$service" ] || fail "the service's process was not found: $(cat "$work/install.out")"
[ -n "$baseline" ] && [ -n "$imports" ] || fail "the baselines' processes were not found"
wineserver=$("$road" "$build" wineserver)

running() { [ -e /proc/"$1"/status ] || fail "$2 is no longer running"; }
sleep 3
s0=$(cpu_ns "$service"); b0=$(cpu_ns "$baseline"); w0=$(cpu_ns "${wineserver:-0}")
sleep "$idle"
s1=$(cpu_ns "$service"); b1=$(cpu_ns "$baseline"); w1=$(cpu_ns "${wineserver:-0}")
running "$service" "the service"
s_anon=$(anon_kb "$service"); b_anon=$(anon_kb "$baseline"); i_anon=$(anon_kb "$imports")
# Anonymous kB by mapping (a file's written pages, or [anon]), for where the service's extra memory lies.
for p in "$service" "$imports"; do anon_by_mapping "$p" >"$work/anon.$p"; done
echo "The Windows service under Wine's service manager, idle with its schedule loaded, against a bare"
echo "Windows process waking every second (same Wine road, same run; each program's own process):"
awk -v o0="$s0" -v o1="$s1" -v b0="$b0" -v b1="$b1" -v w0="$w0" -v w1="$w1" -v s="$idle" -v w="$wineserver" 'BEGIN {
  o = (o1 - o0) / 1e6; b = (b1 - b0) / 1e6
  printf "  Service CPU time over %d s idle: Ondrel %.1f ms, baseline %.1f ms, ratio %.2f (target 1.2)", s, o, b, (b > 0 ? o / b : 0)
  if (w != "") printf "; the wineserver both use: %.1f ms", (w1 - w0) / 1e6
  printf "\n"}'
awk -v o="$s_anon" -v b="$b_anon" 'BEGIN {
  printf "  Service anonymous memory: Ondrel %.1f MB, baseline %.1f MB, ratio %.2f (target 1.2)\n",
    o / 1024, b / 1024, (b > 0 ? o / b : 0)}'
awk -v o="$s_anon" -v i="$i_anon" 'BEGIN {
  printf "    against the bare process importing the system DLLs ondrel.exe imports: baseline %.1f MB, ratio %.2f\n",
    i / 1024, (i > 0 ? o / i : 0)}'
echo "    the service's largest additions (anonymous kB, Ondrel vs the bare process with the same imports):"
awk 'NR == FNR {b[$1] = $2; next} {print $2 - b[$1], $2, b[$1] + 0, $1}' "$work/anon.$imports" "$work/anon.$service" |
  sort -rn | awk 'NR <= 8 {printf "      %6d vs %6d  %s\n", $2, $3, $4}'

# Each slot a few seconds ahead, written as the window saves it: the
# service hears of the folder's change and reads the new file.
slot_delays "$slots" "$statements" settings "  " \
  "Service slot second to first BACKUP statement at the server, under Wine:" || fail "no slot reached the server"
running "$service" "the service"
