#!/usr/bin/env bash
# The background service (ondrel-service) idle with its schedule loaded and
# no slot due, against a bare process that wakes every second, both in one
# run; then how late its slots' statements reach the server:
#   bench/service_footprint.sh BUILD_DIR [IDLE_SECONDS] [SLOTS]
# Prints CPU time over the idle seconds, private anonymous memory, and the
# delay from each slot's second to its first BACKUP statement at the server.
set -Eeuo pipefail
trap 'status=$?; [ "$BASH_SUBSHELL" -gt 0 ] || echo "service footprint: stopped at line $LINENO: $BASH_COMMAND (status $status)" >&2' ERR
fail() { echo "service footprint: $*" >&2; exit 1; }

build=$(cd "${1:?usage: service_footprint.sh BUILD_DIR [IDLE_SECONDS] [SLOTS]}" && pwd)
idle=${2:-60}
slots=${3:-10}
password='Footprint#1'

work=$(mktemp -d "${TMPDIR:-/tmp}/ondrel-service-footprint-XXXXXX")
chmod 0755 "$work"
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

. "$(dirname "$0")/process_figures.sh"
running() { [ -e /proc/"$1"/status ] || fail "$2 is no longer running: $(cat "$work/service.log" 2>/dev/null)"; }

export ODBCSYSINI="$build/odbc"
mkdir -p "$work/backups"
"$build/sqlstandin" --port 0 --login "sa:$password" --database sales:1MB --database crm:1MB \
  --backup-dir "$work/backups" --statement-log "$work/statements.jsonl" >"$work/standin.out" 2>&1 &
pids+=("$!")
for _ in $(seq 100); do grep -q ready "$work/standin.out" 2>/dev/null && break; sleep 0.05; done
port=$(sed -n 's/.*127\.0\.0\.1:\([0-9]*\).*/\1/p' "$work/standin.out")
[ -n "$port" ] || fail "the stand-in did not start: $(cat "$work/standin.out")"

# settings SLOT1: the window's settings file, this server, two databases.
settings() {
  printf '%s\r\n' "------服务器配置------" "127.0.0.1,$port" sa "$password" "------需备份列表------" 2 sales crm \
    "请勿修改" "-------备份位置-------" "$work/backups/" "-------系统配置-------" True False 0 \
    "$1" "$(date -d '+7 hours' +%H:%M:%S)" "$(date -d '+8 hours' +%H:%M:%S)" |
    iconv -f UTF-8 -t GBK >"$work/ondrel.ini.new"
  chmod 0600 "$work/ondrel.ini.new"
  mv "$work/ondrel.ini.new" "$work/ondrel.ini"
}
settings "$(date -d '+6 hours' +%H:%M:%S)"

HOME=$work "$build/ondrel-service" --settings "$work/ondrel.ini" 2>"$work/service.log" &
service=$!
pids+=("$service")
"$build/bare_ticker" &
baseline=$!
pids+=("$baseline")
sleep 2
running "$service" "the service"

s0=$(cpu_ns "$service"); b0=$(cpu_ns "$baseline")
sleep "$idle"
s1=$(cpu_ns "$service"); b1=$(cpu_ns "$baseline")
running "$service" "the service"
s_anon=$(anon_kb "$service"); b_anon=$(anon_kb "$baseline")
awk -v o="$(( (s1 - s0) ))" -v b="$(( (b1 - b0) ))" -v s="$idle" \
  'BEGIN {printf "Service CPU time over %d s idle: Ondrel %.1f ms, baseline %.1f ms, ratio %.2f (target 1.2)\n", s, o / 1e6, b / 1e6, (b > 0 ? o / b : 0)}'
awk -v o="$s_anon" -v b="$b_anon" \
  'BEGIN {printf "Service private anonymous memory: Ondrel %.1f MB, baseline %.1f MB, ratio %.2f\n", o / 1024, b / 1024, (b > 0 ? o / b : 0)}'

# Each slot a few seconds ahead, written as the window saves it: the
# service reads the new file at its next tick.
slot_delays "$slots" "$work/statements.jsonl" settings "" \
  "Service slot second to first BACKUP statement at the server:" ||
  fail "no slot reached the server: $(tail -5 "$work/service.log")"
running "$service" "the service"
