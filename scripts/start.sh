#!/usr/bin/env bash
# Installs what is missing, builds Ondrel into ./build and starts it.
#
# With a SQL Server listening on 127.0.0.1:1433, Ondrel starts alone, and the
# FreeTDS ODBC driver is registered system-wide as "SQL Server" if it is not
# yet (Ondrel reaches real servers through it).
#
# With nothing listening there, a demo server comes first: the project's SQL
# Server stand-in on 127.0.0.1:1433 with the login sa, a password printed
# below, and two small sample databases. It stops when Ondrel exits.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target ondrel sqlstandin

. scripts/odbc-driver.sh

server_listening() {
  timeout 2 bash -c 'exec 3<>/dev/tcp/127.0.0.1/1433' 2>/dev/null
}

if server_listening; then
  echo "A server listens on 127.0.0.1:1433: starting Ondrel alone."
  # Ondrel connects through a driver named "SQL Server", as on Windows.
  driver_registered || register_driver
  exec build/ondrel "$@"
fi

# --- The demo server. ---
work=.work
mkdir -p "$work/demo-backups"
# One password for the demo, kept so that saved settings go on working.
if [ ! -s "$work/demo-password" ]; then
  (umask 077 && echo "Demo-$(od -An -N4 -tx1 /dev/urandom | tr -d ' \n')" >"$work/demo-password")
fi
password=$(cat "$work/demo-password")

# Without a system-wide "SQL Server" driver, the project's own driver list
# (written by the build) names FreeTDS for Ondrel.
if ! driver_registered; then
  export ODBCSYSINI="$PWD/build/odbc"
fi

build/sqlstandin --port 1433 --login "sa:$password" --database sales:4MB --database crm:2MB \
  --backup-dir "$PWD/$work/demo-backups" --statement-log "$work/demo-statements.jsonl" \
  >"$work/demo-server.out" 2>&1 &
standin=$!
stop_standin() {
  kill "$standin" 2>/dev/null || true
  wait "$standin" 2>/dev/null || true
}
trap stop_standin EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

for _ in $(seq 200); do
  grep -q '^sqlstandin ready' "$work/demo-server.out" 2>/dev/null && break
  kill -0 "$standin" 2>/dev/null || break
  sleep 0.05
done
if ! grep -q '^sqlstandin ready' "$work/demo-server.out" 2>/dev/null; then
  echo "The demo server did not start:" >&2
  cat "$work/demo-server.out" >&2
  exit 1
fi

cat <<EOF

Demo server ready: no SQL Server listens on 127.0.0.1:1433, so the project's
SQL Server stand-in (build/sqlstandin) does, until Ondrel exits. It is not a
database server: it answers Ondrel's logins, database checks and BACKUP
statements and writes its own kind of backup files.

  服务器  127.0.0.1        帐号  sa        密码  $password
  databases: sales (4 MB), crm (2 MB)
  a backup folder to pick: $PWD/$work/demo-backups/

EOF

status=0
build/ondrel "$@" || status=$?
exit "$status"
