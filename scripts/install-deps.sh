#!/usr/bin/env bash
# Installs the Debian packages Ondrel builds, runs and tests with, where missing.
set -euo pipefail
. "$(dirname "$0")/packages.sh"

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
  systemd
)
install_missing "${packages[@]}"
