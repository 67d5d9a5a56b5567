#!/usr/bin/env bash
# Ondrel's footprint with a running schedule and no slot due, against a bare
# Qt window with a one-second timer, both in one run under one Xvfb:
#   bench/footprint.sh BUILD_DIR [SOAK_SECONDS]
# Prints the time to the first window, CPU time over 60 s, peak memory, what
# an idle tick touches (strace), and the resident memory over the soak.
# Smaller runs (scripts/bench.sh --smoke): FOOTPRINT_LAUNCHES (5),
# FOOTPRINT_CPU_SECONDS (60), FOOTPRINT_TRACE_SECONDS (10) and a short soak.
set -Eeuo pipefail
# A step that fails ends the script: say which, rather than end mid-report.
trap 'status=$?; [ "$BASH_SUBSHELL" -gt 0 ] || echo "footprint: stopped at line $LINENO: $BASH_COMMAND (status $status)" >&2' ERR
fail() { echo "footprint: $*" >&2; exit 1; }

build=$(cd "${1:?usage: footprint.sh BUILD_DIR [SOAK_SECONDS]}" && pwd)
soak=${2:-600}
cpu_seconds=${FOOTPRINT_CPU_SECONDS:-60}
launches=${FOOTPRINT_LAUNCHES:-5}
trace_seconds=${FOOTPRINT_TRACE_SECONDS:-10}
password='Footprint#1'

for tool in Xvfb xdotool strace ss; do
  command -v "$tool" >/dev/null || { echo "footprint: $tool is missing" >&2; exit 1; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/ondrel-footprint-XXXXXX")
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

# --- An X display and a server of our own. ---
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb=$!
pids+=("$xvfb")
exec 3>&-
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
[ -s "$work/display" ] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=":$(head -1 "$work/display")"
export ODBCSYSINI="$build/odbc"
unset QT_QPA_PLATFORM

mkdir -p "$work/app" "$work/backups"
"$build/sqlstandin" --port 0 --login "sa:$password" --database sales:1MB --database crm:1MB \
  --backup-dir "$work/backups" --statement-log "$work/statements.jsonl" >"$work/standin.out" 2>&1 &
pids+=("$!")
for _ in $(seq 100); do grep -q ready "$work/standin.out" 2>/dev/null && break; sleep 0.05; done
port=$(sed -n 's/.*127\.0\.0\.1:\([0-9]*\).*/\1/p' "$work/standin.out")
[ -n "$port" ] || fail "the stand-in did not start: $(cat "$work/standin.out")"

# A copy of the program with its settings file beside it: this server, two
# databases, slots six to eight hours away.
cp "$build/ondrel" "$work/app/ondrel"
printf '%s\r\n' "------服务器配置------" "127.0.0.1,$port" sa "$password" "------需备份列表------" 2 sales crm \
  "请勿修改" "-------备份位置-------" "$work/backups/" "-------系统配置-------" True False 0 \
  "$(date -d '+6 hours' +%H:%M:%S)" "$(date -d '+7 hours' +%H:%M:%S)" "$(date -d '+8 hours' +%H:%M:%S)" |
  iconv -f UTF-8 -t GBK >"$work/app/ondrel.ini"

# launch NAME PROGRAM: starts it through window_clock; sets pid, window, shown_ms.
launch() {
  local line
  line=$("$build/window_clock" "$2" 2>>"$work/$1.err") || fail "$1 showed no window: $(cat "$work/$1.err")"
  pid=$(awk '{print $2}' <<<"$line")
  window=$(awk '{print $4}' <<<"$line")
  shown_ms=$(awk '{print $6}' <<<"$line")
  pids+=("$pid")
}

stop() {
  kill "$1" 2>/dev/null || true
  for _ in $(seq 100); do kill -0 "$1" 2>/dev/null || return 0; sleep 0.02; done
  kill -9 "$1" 2>/dev/null || true
}

median() { sort -n | awk '{v[NR]=$1} END {if (NR%2) print v[(NR+1)/2]; else printf "%.1f\n", (v[NR/2]+v[NR/2+1])/2}'; }

# CPU nanoseconds of every thread of a process.
. "$(dirname "$0")/process_figures.sh"
status_kb() { awk -v k="$2:" '$1==k {print $2}' /proc/"$1"/status; }
# running PID NAME WHEN: a program that ended (or is a zombie) has no resident set.
running() { grep -qs '^VmRSS:' /proc/"$1"/status || fail "$2 is no longer running ($3)"; }
# Lines of FILE matching an extended regular expression; 0, not a failure, for none.
count_lines() { [ -f "$2" ] || { echo 0; return; }; awk -v re="$1" '$0 ~ re {n++} END {print n + 0}' "$2"; }
logins() { count_lines '"kind":"login"' "$work/statements.jsonl"; }

# --- Time to the first window, alternating the two programs. ---
for _ in $(seq "$launches"); do
  launch baseline "$build/bare_window"; echo "$shown_ms" >>"$work/shown.baseline"; stop "$pid"
  launch ondrel "$work/app/ondrel"; echo "$shown_ms" >>"$work/shown.ondrel"; stop "$pid"
done

# --- Both resident; Ondrel's schedule started from its window. ---
launch baseline "$build/bare_window"
baseline=$pid
launch ondrel "$work/app/ondrel"
ondrel=$pid
ondrel_window=$window

# "开始运行" (client area 8..73 x 127..160 px), then OK in the box it opens.
xdotool mousemove --window "$ondrel_window" 40 143 click 1
box=""
for _ in $(seq 100); do
  for w in $(xdotool search --onlyvisible --pid "$ondrel" 2>/dev/null); do
    [ "$(xdotool getwindowname "$w")" = "提示" ] && box=$w
  done
  [ -n "$box" ] && break
  sleep 0.05
done
[ -n "$box" ] || { echo "footprint: no box after 开始运行" >&2; exit 1; }
xdotool mousemove --window "$box" 20 20
xdotool key Return
sleep 1
title=$(xdotool getwindowname "$ondrel_window")
case "$title" in
  Ondrel已开启*) ;;
  *) echo "footprint: the schedule did not start (title: $title)" >&2; cat "$work/ondrel.err" >&2; exit 1 ;;
esac
logins_at_start=$(logins)

sleep 2
b0=$(cpu_ns "$baseline"); o0=$(cpu_ns "$ondrel")
sleep "$cpu_seconds"
b1=$(cpu_ns "$baseline"); o1=$(cpu_ns "$ondrel")
b_cpu=$(awk -v a="$b0" -v b="$b1" 'BEGIN {printf "%.1f", (b - a) / 1e6}')
o_cpu=$(awk -v a="$o0" -v b="$o1" 'BEGIN {printf "%.1f", (b - a) / 1e6}')
b_hwm=$(status_kb "$baseline" VmHWM); o_hwm=$(status_kb "$ondrel" VmHWM)
rollup_kb() { awk -v k="$2:" '$1==k {print $2}' /proc/"$1"/smaps_rollup; }
b_anon=$(rollup_kb "$baseline" Anonymous); o_anon=$(rollup_kb "$ondrel" Anonymous)
running "$ondrel" Ondrel "after $cpu_seconds s of running schedule"
running "$baseline" "the baseline" "after $cpu_seconds s"

echo "Footprint: Ondrel with a running schedule and no slot due, against a bare Qt window"
echo "with a one-second timer (same Xvfb, same run; $launches launches each for the start time):"
printf '  start to window shown: Ondrel median %s ms, baseline median %s ms (Ondrel %s; baseline %s)\n' \
  "$(median <"$work/shown.ondrel")" "$(median <"$work/shown.baseline")" \
  "$(paste -sd' ' "$work/shown.ondrel")" "$(paste -sd' ' "$work/shown.baseline")"
awk -v o="$o_cpu" -v b="$b_cpu" -v s="$cpu_seconds" \
  'BEGIN {printf "  CPU time over %d s: Ondrel %.1f ms, baseline %.1f ms, ratio %.2f (target 1.2)\n", s, o, b, (b > 0 ? o / b : 0)}'
awk -v o="$o_hwm" -v b="$b_hwm" \
  'BEGIN {printf "  peak resident memory (VmHWM): Ondrel %.1f MB, baseline %.1f MB, ratio %.2f (target 1.2)\n", o / 1024, b / 1024, (b > 0 ? o / b : 0)}'
awk -v o="$o_anon" -v b="$b_anon" \
  'BEGIN {printf "    of which private anonymous memory now: Ondrel %.1f MB, baseline %.1f MB, ratio %.2f\n", o / 1024, b / 1024, (b > 0 ? o / b : 0)}'
echo "    Ondrel's largest additions (resident kB, Ondrel vs baseline):"
for p in "$ondrel" "$baseline"; do
  awk '$1 ~ /-/ && NF >= 5 {name = (NF >= 6 ? $6 : "[anon]")} $1 == "Rss:" {rss[name] += $2}
       END {for (n in rss) print n, rss[n]}' /proc/"$p"/smaps >"$work/smaps.$p"
done
awk 'NR == FNR {b[$1] = $2; next} {print $2 - b[$1], $2, b[$1] + 0, $1}' "$work/smaps.$baseline" "$work/smaps.$ondrel" |
  sort -rn | awk 'NR <= 8 {printf "      %6d vs %6d  %s\n", $2, $3, $4}'

# --- What an idle tick touches. ---
# The trace ends by timeout (status 124); any other status is strace's own
# failure, not a quiet program.
traced=0
timeout -s INT "$trace_seconds" strace -f -tt -p "$ondrel" -e trace=%file,%network,%process \
  -o "$work/idle.strace" 2>"$work/strace.err" || traced=$?
[ "$traced" -eq 124 ] || [ "$traced" -eq 0 ] || fail "strace could not trace Ondrel (status $traced): $(cat "$work/strace.err")"
running "$ondrel" Ondrel "after the idle trace"
# Each call as name(first argument), counted: "recvmsg(3) x5". A quiet
# program leaves the trace empty, and every count below is then 0 or none.
calls=$(sed -E '/resumed>|^[0-9]+ +[0-9:.]+ (\+\+\+|---)/d; s/^[0-9]+ +[0-9:.]+ ([a-z0-9_]+)\(([^,)]*).*/\1(\2)/' \
  "$work/idle.strace" | sort | uniq -c | awk '{printf "%s%s x%d", (NR > 1 ? ", " : ""), $2, $1}')
file_calls=$(count_lines ' (open|openat|stat|newfstatat|statx|lstat|access|faccessat2?|readlink|mkdir|rename|unlink|getdents64)' \
  "$work/idle.strace")
socket_calls=$(count_lines ' (socket|connect|bind|accept4?)[(]' "$work/idle.strace")
# Ondrel's sockets, named by the process at the other end.
peers=$(ss -xpn | awk -v p="pid=$ondrel," 'index($0, p) {print $8}' | while read -r peer; do
  ss -xpn | awk -v i="$peer" '$6 == i {print $NF}' | sed 's/.*(("\([^"]*\)".*/\1/'
done | sort | uniq -c | awk '{printf "%s%s x%d", (NR > 1 ? ", " : ""), $2, $1}')
echo "  idle ticks traced for $trace_seconds s (strace -f, file, network and process calls):"
echo "    file-system calls: $file_calls; socket/connect calls: $socket_calls"
echo "    every call seen: ${calls:-none}"
echo "    open sockets: ${peers:-none}; logins at the server since the start: $(( $(logins) - logins_at_start ))"

# --- Resident memory over the soak. ---
# A sample every 10 s, or at the start and end of a shorter soak.
if [ "$soak" -gt 0 ]; then
  step=$(( soak < 10 ? soak : 10 ))
  : >"$work/rss"
  for t in $(seq 0 "$step" "$soak"); do
    [ "$t" -gt 0 ] && sleep "$step"
    running "$ondrel" Ondrel "$t s into the soak"
    echo "$t $(status_kb "$ondrel" VmRSS) $(status_kb "$baseline" VmRSS)" >>"$work/rss"
  done
  awk -v step="$step" '
    NR == 1 {o0 = $2; b0 = $3; omin = omax = $2}
    {if ($2 < omin) omin = $2; if ($2 > omax) omax = $2; o1 = $2; b1 = $3; t = $1}
    END {
      printf "  resident memory over %d s of running schedule, every %d s: Ondrel %d -> %d kB (min %d, max %d, change %+d kB); baseline %d -> %d kB\n", t, step, o0, o1, omin, omax, o1 - o0, b0, b1
    }' "$work/rss"
  echo "    logins at the server during the soak: $(( $(logins) - logins_at_start ))"
fi
