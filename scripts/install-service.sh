#!/usr/bin/env bash
# Installs Ondrel's background service on this machine, run as root:
#   sudo scripts/install-service.sh [SETTINGS_FILE]
# Builds Ondrel, puts the service and the window in /opt/ondrel, makes the
# system account "ondrel" the service runs as, takes SETTINGS_FILE (a saved
# ondrel.ini) as the service's settings when given, registers the ODBC
# driver and starts the service now and at every boot. Run again to update;
# scripts/install-service.sh --remove takes the service away (the settings
# file and the backups stay; its run records go, so that the window no
# longer reports on a service that is gone).
# ONDREL_PREBUILT=DIR installs the programs already built in DIR instead of
# building them (the tests do).
set -euo pipefail
cd "$(dirname "$0")/.."

prefix=/opt/ondrel
unit=/etc/systemd/system/ondrel.service

if [ "$(id -u)" -ne 0 ]; then
  echo "请以 root 身份运行: sudo $0 $*" >&2
  exit 1
fi

if [ "${1:-}" = "--remove" ]; then
  systemctl disable --now ondrel.service 2>/dev/null || true
  rm -f "$unit" "$prefix/ondrel-service" "$prefix/ondrel.runs"
  systemctl daemon-reload
  echo "后台备份服务已删除;$prefix 中的配置文件保留。"
  exit 0
fi

built=${ONDREL_PREBUILT:-build}
if [ -z "${ONDREL_PREBUILT:-}" ]; then
  scripts/install-deps.sh
  cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build build -j"$(nproc)" --target ondrel ondrel-service
fi

# The account: a system user in no other group, with a home of its own for
# its trash of old backups.
if ! id ondrel >/dev/null 2>&1; then
  useradd --system --user-group --home-dir /var/lib/ondrel --no-create-home --shell /usr/sbin/nologin ondrel
fi

# Only root may change the programs, their folder and the settings file:
# the service refuses to start otherwise.
install -d -o root -g root -m 0755 "$prefix"
install -o root -g root -m 0755 "$built/ondrel-service" "$built/ondrel" "$prefix/"
if [ -n "${1:-}" ]; then
  install -o root -g ondrel -m 0640 "$1" "$prefix/ondrel.ini"
elif [ -e "$prefix/ondrel.ini" ]; then
  chown root:ondrel "$prefix/ondrel.ini"
  chmod 0640 "$prefix/ondrel.ini"
else
  # The window saves a new file for its owner alone: the service could not
  # read it until this script gives it the service's group.
  echo "还没有配置文件:请以 root 运行 $prefix/ondrel,填好设置后点“保存配置”,然后再运行一次 sudo $0 。" >&2
fi
# The files the service writes in a folder it may not write: its run
# records (its own), and the schedule's lock, which the window opens too.
[ -e "$prefix/ondrel.runs" ] || install -o ondrel -g ondrel -m 0644 /dev/null "$prefix/ondrel.runs"
[ -e "$prefix/ondrel.ini.lock" ] || install -o root -g root -m 0644 /dev/null "$prefix/ondrel.ini.lock"

. scripts/odbc-driver.sh
driver_registered || register_driver

install -o root -g root -m 0644 packaging/linux/ondrel.service "$unit"
systemctl daemon-reload
# Restarted rather than only started: run again to update, the new program
# runs from now on (a run under way ends its current statement first).
systemctl enable ondrel.service
systemctl restart ondrel.service
systemctl --no-pager status ondrel.service || true
cat <<MSG

后台备份服务已安装并启动(开机自动运行),账户:ondrel。
  查看日志:journalctl -u ondrel
  备份文件夹须允许 ondrel 账户写入,例如:setfacl -m u:ondrel:rwx /备份文件夹
  修改设置:sudo $prefix/ondrel,点“保存配置”,下一个时间段起生效。
MSG
