#!/usr/bin/env bash
# The Windows edition under Wine and Xvfb, on the tests' road
# (scripts/wine-road.sh), both figures of one run side by side: how soon
# after a slot's second its first backup statement reaches the stand-in,
# then ondrel.exe idle with a running schedule against a bare Win32 window
# with a one-second timer (bench/windows/bare_window.cpp): CPU time and
# private memory of each program's own process. Also the sizes of
# ondrel.exe and of the zip for operators.
#   bench/wine_bench.sh BUILD_WINDOWS SQLSTANDIN [IDLE_SECONDS] [SLOTS]
# (defaults 60 s and 15 slots). The road is brought up for the run and
# taken down after it: not while the Windows tests of the same build run.
set -Eeuo pipefail
trap 'status=$?; [ "$BASH_SUBSHELL" -gt 0 ] || echo "wine_bench: stopped at line $LINENO: $BASH_COMMAND (status $status)" >&2' ERR
fail() { echo "wine_bench: $*" >&2; exit 1; }

build=$(cd "${1:?usage: wine_bench.sh BUILD_WINDOWS SQLSTANDIN [IDLE_SECONDS] [SLOTS]}" && pwd)
standin=${2:?usage: wine_bench.sh BUILD_WINDOWS SQLSTANDIN [IDLE_SECONDS] [SLOTS]}
idle=${3:-60}
slots=${4:-15}
road=$(cd "$(dirname "$0")/.." && pwd)/scripts/wine-road.sh
zip=$(sed -n 's/^ONDREL_DIST_DIR:PATH=//p' "$build/CMakeCache.txt")/ondrel-windows-x64.zip
for file in ondrel.exe bare_window.exe wine_bench.exe wine_road_keeper.exe; do
  [ -f "$build/$file" ] || fail "no $build/$file: build it (scripts/build-windows.sh)"
done
[ -f "$zip" ] || fail "no zip at $zip: build the target dist_zip"

work=$build/wine-bench
rm -rf "$work"
mkdir -p "$work"
windows() { local path=${1//\//\\}; echo "Z:$path"; }

bench=""
cleanup() {
  [ -n "$bench" ] && kill "$bench" 2>/dev/null || true
  "$road" "$build" down >/dev/null 2>&1 || true
}
trap cleanup EXIT
"$road" "$build" up "$standin" "$build/wine_road_keeper.exe" >"$work/road.log" 2>&1 ||
  fail "the road did not come up: $(cat "$work/road.log")"

"$road" "$build" run "$build/wine_bench.exe" "$(windows "$build/ondrel.exe")" "$(windows "$build/bare_window.exe")" \
  "$(windows "$work")" "$slots" >"$work/bench.out" 2>"$work/bench.err" &
bench=$!
for _ in $(seq $((slots * 40 + 1200))); do
  [ -f "$work/idle.ready" ] && break
  kill -0 "$bench" 2>/dev/null || fail "the Windows side ended early: $(cat "$work/bench.err")"
  sleep 0.1
done
[ -f "$work/idle.ready" ] || fail "the Windows side never reached the idle part: $(cat "$work/bench.err")"
cat "$work/bench.out"

# Each Windows program is one process of this machine, named by its
# Windows path; the wineserver both talk to runs in the prefix's server
# folder, named after the prefix's device and inode.
. "$(dirname "$0")/process_figures.sh"
ondrel=$(process_of "$(windows "$work")\\ondrel\\ondrel.exe")
baseline=$(process_of "$(windows "$work")\\baseline\\bare_window.exe")
[ -n "$ondrel" ] && [ -n "$baseline" ] || fail "the programs' processes were not found"
wineserver=$("$road" "$build" wineserver)

private_kb() { awk '$1 == "Private_Clean:" || $1 == "Private_Dirty:" {s += $2} END {print s + 0}' /proc/"$1"/smaps_rollup; }
sleep 2
o0=$(cpu_ns "$ondrel"); b0=$(cpu_ns "$baseline"); w0=$(cpu_ns "${wineserver:-0}")
sleep "$idle"
o1=$(cpu_ns "$ondrel"); b1=$(cpu_ns "$baseline"); w1=$(cpu_ns "${wineserver:-0}")
o_private=$(private_kb "$ondrel"); b_private=$(private_kb "$baseline")
# Private kB by mapping (a file, or [anon]), for where Ondrel's extra memory lies.
for p in "$ondrel" "$baseline"; do
  awk '$1 ~ /-/ && NF >= 5 {name = (NF >= 6 ? $6 : "[anon]")}
       $1 == "Private_Clean:" || $1 == "Private_Dirty:" {kb[name] += $2}
       END {for (n in kb) print n, kb[n]}' /proc/"$p"/smaps >"$work/private.$p"
done
touch "$work/idle.done"
status=0
wait "$bench" || status=$?
bench=""
[ "$status" -eq 0 ] || fail "the Windows side failed (status $status): $(cat "$work/bench.err")"

echo "Footprint under Wine: ondrel.exe with a running schedule and no slot due, against a bare Win32"
echo "window with a one-second timer (same Wine road, same run; each program's own process):"
awk -v o0="$o0" -v o1="$o1" -v b0="$b0" -v b1="$b1" -v w0="$w0" -v w1="$w1" -v s="$idle" -v w="$wineserver" 'BEGIN {
  o = (o1 - o0) / 1e6; b = (b1 - b0) / 1e6
  printf "  CPU time over %d s: Ondrel %.1f ms, baseline %.1f ms, ratio %.2f (target 1.2)", s, o, b, (b > 0 ? o / b : 0)
  if (w != "") printf "; the wineserver both use: %.1f ms", (w1 - w0) / 1e6
  printf "\n"}'
awk -v o="$o_private" -v b="$b_private" 'BEGIN {
  printf "  private memory (resident, smaps Private_Clean + Private_Dirty): Ondrel %.1f MB, baseline %.1f MB, ratio %.2f (target 1.2)\n",
    o / 1024, b / 1024, (b > 0 ? o / b : 0)}'
echo "    Ondrel's largest additions (private kB, Ondrel vs baseline):"
awk 'NR == FNR {b[$1] = $2; next} {print $2 - b[$1], $2, b[$1] + 0, $1}' "$work/private.$baseline" "$work/private.$ondrel" |
  sort -rn | awk 'NR <= 6 {printf "      %6d vs %6d  %s\n", $2, $3, $4}'
exe_bytes=$(stat -c %s "$build/ondrel.exe")
zip_bytes=$(stat -c %s "$zip")
echo "  size of ondrel.exe: $((exe_bytes / 1024)) kB; of the zip: $((zip_bytes / 1024)) kB ($exe_bytes and $zip_bytes bytes)"
