#!/usr/bin/env bash
# The service's unit file as systemd reads it: systemd-analyze verify must
# say nothing at all. The program's path is the one just built, since
# verify looks for the file that ExecStart names.
set -euo pipefail
unit=$1
program=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
sed "s|/opt/ondrel/ondrel-service|$program|" "$unit" >"$work/ondrel.service"
status=0
systemd-analyze verify "$work/ondrel.service" 2>"$work/stderr" || status=$?
if [ "$status" -ne 0 ] || [ -s "$work/stderr" ]; then
  cat "$work/stderr" >&2
  echo "systemd-analyze verify: exit $status" >&2
  exit 1
fi
