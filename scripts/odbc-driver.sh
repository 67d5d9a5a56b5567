# The FreeTDS ODBC driver registered system-wide under the name "SQL
# Server", which Ondrel's connection string names. Sourced by the scripts
# that start Ondrel on this machine.

driver_registered() {
  odbcinst -q -d 2>/dev/null | grep -qxF '[SQL Server]'
}

register_driver() {
  local driver="" candidate template
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
  local as_root=()
  if [ "$(id -u)" -ne 0 ]; then
    as_root=(sudo)
  fi
  template=$(mktemp)
  printf '[SQL Server]\nDescription=FreeTDS ODBC driver for Ondrel\nDriver=%s\n' "$driver" >"$template"
  echo "Registering $driver as ODBC driver \"SQL Server\""
  "${as_root[@]}" odbcinst -i -d -f "$template" >/dev/null
  rm -f "$template"
}
