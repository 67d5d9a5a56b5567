#!/usr/bin/env bash
# Installs what is missing, makes the FreeTDS ODBC driver known as
# "SQL Server", builds Ondrel into ./build and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

as_root=()
if [ "$(id -u)" -ne 0 ]; then
  as_root=(sudo)
fi

# Ondrel connects through a driver named "SQL Server", as on Windows.
if ! odbcinst -q -d 2>/dev/null | grep -qxF '[SQL Server]'; then
  driver=""
  for candidate in /usr/lib/*/odbc/libtdsodbc.so /usr/lib/odbc/libtdsodbc.so; do
    if [ -e "$candidate" ]; then
      driver=$candidate
      break
    fi
  done
  if [ -z "$driver" ]; then
    echo "FreeTDS ODBC driver (libtdsodbc.so, package tdsodbc) not found" >&2
    exit 1
  fi
  template=$(mktemp)
  trap 'rm -f "$template"' EXIT
  printf '[SQL Server]\nDescription=FreeTDS ODBC driver for Ondrel\nDriver=%s\n' "$driver" >"$template"
  echo "Registering $driver as ODBC driver \"SQL Server\""
  "${as_root[@]}" odbcinst -i -d -f "$template" >/dev/null
fi

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target ondrel
exec build/ondrel "$@"
