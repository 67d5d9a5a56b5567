#!/usr/bin/env bash
# Installs the Debian packages Ondrel builds, runs and tests with, where missing.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  clang libclang-rt-14-dev
  qt6-base-dev libgl-dev qt6-translations-l10n
  unixodbc unixodbc-dev tdsodbc freetds-bin
  libgtest-dev googletest
  fonts-wqy-zenhei
  xvfb xauth
  qt6-base-private-dev
  dbus-daemon openbox haskell-status-notifier-item-utils haskell-gtk-sni-tray-utils
  python3 python3-tds
  iproute2
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

as_root=()
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "Need root or sudo to install: ${missing[*]}" >&2; exit 1; }
  as_root=(sudo)
fi
echo "Installing: ${missing[*]}"
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
