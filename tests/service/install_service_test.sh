#!/usr/bin/env bash
# scripts/install-service.sh as root on a server, then the installed
# service run as its own account against the stand-in: in a mount namespace
# of the test's own, where /etc (accounts, the ODBC driver list, the unit
# folder), /opt and /var/log are copies or empty, so that nothing reaches
# this machine. systemd does not run here: a systemctl on PATH records what
# the script asks of it, and the test starts the program as the unit would.
#   install_service_test.sh SOURCE_DIR BUILD_DIR
# Exits 77 (skipped) where it cannot have a mount namespace as root.
set -Eeuo pipefail
trap 'echo "install-service test: stopped at line $LINENO: $BASH_COMMAND" >&2' ERR

source_dir=$(cd "${1:?usage: install_service_test.sh SOURCE_DIR BUILD_DIR}" && pwd)
build=$(cd "${2:?usage: install_service_test.sh SOURCE_DIR BUILD_DIR}" && pwd)

if [ -z "${ONDREL_IN_NAMESPACE:-}" ]; then
  if [ "$(id -u)" -ne 0 ] || ! unshare -m --propagation private true 2>/dev/null || [ ! -d /opt ]; then
    echo "install-service test: needs root and a mount namespace; skipped"
    exit 77
  fi
  exec env ONDREL_IN_NAMESPACE=1 unshare -m --propagation private "$0" "$@"
fi

fail() { echo "install-service test: $*" >&2; exit 1; }
check() { local what=$1; shift; "$@" || fail "$what"; }

work=$(mktemp -d /tmp/ondrel-install-test-XXXXXX)
chmod 0755 "$work"
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# This machine's files stay as they are: the script's accounts, driver
# list, unit, programs and log lines go to copies and empty folders.
cp -a /etc "$work/etc"
mount --bind "$work/etc" /etc
mount -t tmpfs -o mode=0755 tmpfs /opt
mount -t tmpfs -o mode=0755 tmpfs /var/log
mkdir -p "$work/bin"
cat >"$work/bin/systemctl" <<EOF
#!/bin/sh
echo "\$*" >>"$work/systemctl.log"
EOF
chmod 0755 "$work/bin/systemctl"
export PATH="$work/bin:$PATH"
unset ODBCSYSINI ODBCINI

# The stand-in, and a settings file as the window saves it.
password='Install#1'
mkdir -p "$work/bak"
"$build/sqlstandin" --port 0 --login "sa:$password" --database sales:64KB \
  --statement-log "$work/statements.jsonl" >"$work/standin.out" 2>&1 &
pids+=("$!")
for _ in $(seq 100); do grep -q ready "$work/standin.out" 2>/dev/null && break; sleep 0.05; done
port=$(sed -n 's/.*127\.0\.0\.1:\([0-9]*\).*/\1/p' "$work/standin.out")
[ -n "$port" ] || fail "the stand-in did not start: $(cat "$work/standin.out")"
settings() {
  printf '%s\r\n' "------服务器配置------" "127.0.0.1,$port" sa "$password" "------需备份列表------" 1 sales \
    "请勿修改" "-------备份位置-------" "$work/bak/" "-------系统配置-------" True False 0 \
    "$1" "bad" "bad" | iconv -f UTF-8 -t GBK
}
settings "$(date -d '+6 hours' +%H:%M:%S)" >"$work/saved.ini"
chmod 0600 "$work/saved.ini"

cd "$source_dir"
ONDREL_PREBUILT=$build scripts/install-service.sh "$work/saved.ini" >"$work/install.out" 2>&1 ||
  fail "the install failed: $(cat "$work/install.out")"

# The account: a system user with no login and no other group.
check "no account ondrel" id ondrel >/dev/null
uid=$(id -u ondrel)
[ "$uid" -lt 1000 ] || fail "ondrel is not a system account (uid $uid)"
[ "$(id -Gn ondrel)" = ondrel ] || fail "ondrel is in other groups: $(id -Gn ondrel)"
[ "$(getent passwd ondrel | cut -d: -f7)" = /usr/sbin/nologin ] || fail "ondrel may log in"

# Only root may change what the service runs and reads; the password is
# for root and the service alone.
mode() { stat -c '%U:%G %a' "$1"; }
[ "$(mode /opt/ondrel)" = "root:root 755" ] || fail "/opt/ondrel is $(mode /opt/ondrel)"
[ "$(mode /opt/ondrel/ondrel-service)" = "root:root 755" ] || fail "the service is $(mode /opt/ondrel/ondrel-service)"
[ "$(mode /opt/ondrel/ondrel)" = "root:root 755" ] || fail "the window is $(mode /opt/ondrel/ondrel)"
[ "$(mode /opt/ondrel/ondrel.ini)" = "root:ondrel 640" ] || fail "the settings are $(mode /opt/ondrel/ondrel.ini)"
cmp -s "$work/saved.ini" /opt/ondrel/ondrel.ini || fail "the settings file was not taken as it was"
[ "$(stat -c %U /opt/ondrel/ondrel.runs)" = ondrel ] || fail "the records are $(mode /opt/ondrel/ondrel.runs)"
cmp -s packaging/linux/ondrel.service /etc/systemd/system/ondrel.service || fail "the unit was not installed"
odbcinst -q -d | grep -qxF '[SQL Server]' || fail "the driver was not registered: $(cat /etc/odbcinst.ini)"
expected=$'daemon-reload\nenable ondrel.service\nrestart ondrel.service'
[ "$(grep -v '^--no-pager status' "$work/systemctl.log")" = "$expected" ] ||
  fail "systemctl was asked: $(cat "$work/systemctl.log")"

# The service as the unit starts it: its account, its home (the unit's
# state folder), the system's driver list. It may read the settings,
# keep its records in root's folder and back up a folder granted to it.
state=$work/state
install -d -o ondrel -g ondrel -m 0700 "$state"
chown ondrel:ondrel "$work/bak"
as_service=(setpriv --reuid=ondrel --regid=ondrel --init-groups env -i HOME="$state" PATH=/usr/bin:/bin
  /opt/ondrel/ondrel-service --settings /opt/ondrel/ondrel.ini)
"${as_service[@]}" --check </dev/null >/dev/null 2>"$work/check.log" || fail "--check as ondrel: $(cat "$work/check.log")"

slot_epoch=$(( $(date +%s) + 4 ))
settings "$(date -d "@$slot_epoch" +%H:%M:%S)" >/opt/ondrel/ondrel.ini
# Saved by root's window over a file it cannot read: the service says so,
# and reads it once it may.
chmod 0600 /opt/ondrel/ondrel.ini
"${as_service[@]}" </dev/null >/dev/null 2>"$work/service.log" &
pids+=("$!")
for _ in $(seq 40); do grep -q '<3>' "$work/service.log" && break; sleep 0.05; done
grep -q '<3>.*ondrel.ini' "$work/service.log" || fail "no error for a file it cannot read: $(cat "$work/service.log")"
chmod 0640 /opt/ondrel/ondrel.ini
for _ in $(seq 200); do grep -q '备份完成' "$work/service.log" && break; sleep 0.05; done
grep -q '<6>时间段.*备份完成:1个数据库全部备份成功。' "$work/service.log" ||
  fail "no backup as the service's account: $(cat "$work/service.log")"
grep -q "\"text\":\"backup database \[sales\] to disk=N'$work/bak/sales.bak'\"" "$work/statements.jsonl" ||
  fail "not the window's statement: $(cat "$work/statements.jsonl")"
grep -q $'^slot\t.*\tok\t1\t1$' /opt/ondrel/ondrel.runs || fail "no record of the run: $(cat /opt/ondrel/ondrel.runs)"
kill "${pids[-1]}"
wait "${pids[-1]}" || fail "the service did not stop cleanly: $(cat "$work/service.log")"

# An update keeps the settings and gives a file the window saved alone the
# service's group; removal takes the service and its records, not the settings.
chown root:root /opt/ondrel/ondrel.ini
chmod 0600 /opt/ondrel/ondrel.ini
: >"$work/systemctl.log"
ONDREL_PREBUILT=$build scripts/install-service.sh >"$work/update.out" 2>&1 || fail "the update failed: $(cat "$work/update.out")"
[ "$(mode /opt/ondrel/ondrel.ini)" = "root:ondrel 640" ] || fail "after the update the settings are $(mode /opt/ondrel/ondrel.ini)"
grep -qx 'restart ondrel.service' "$work/systemctl.log" || fail "the update did not restart the service"
ONDREL_PREBUILT=$build scripts/install-service.sh --remove >"$work/remove.out" 2>&1 || fail "removal failed"
[ ! -e /etc/systemd/system/ondrel.service ] && [ ! -e /opt/ondrel/ondrel-service ] && [ ! -e /opt/ondrel/ondrel.runs ] ||
  fail "removal left the service behind: $(ls /opt/ondrel /etc/systemd/system)"
[ -e /opt/ondrel/ondrel.ini ] || fail "removal took the settings file"
grep -qx 'disable --now ondrel.service' "$work/systemctl.log" || fail "removal did not stop the service"
echo "install-service test: passed"
