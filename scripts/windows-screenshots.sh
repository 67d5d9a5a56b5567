#!/usr/bin/env bash
# Takes the Windows edition's pictures for docs/ under Wine, on the tests'
# road (a virtual display with trayer's notification area):
#   docs/ondrel-tray-menu-windows.png  the tray menu open beside its icon
#   docs/ondrel-about-windows.png      the About box
#
#   scripts/build-windows.sh && scripts/windows-screenshots.sh
#
# Needs ImageMagick's import (Debian package imagemagick). Brings the road
# up and takes it down again: not while the Windows tests run.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$PWD/build-windows

command -v import >/dev/null || { echo "windows-screenshots: needs import (apt-get install imagemagick)" >&2; exit 1; }
[ -f "$build/win32_tray_tests.exe" ] || { echo "windows-screenshots: build first: scripts/build-windows.sh" >&2; exit 1; }

scripts/wine-road.sh "$build" up "$PWD/build/sqlstandin" "$build/wine_road_keeper.exe"
trap 'scripts/wine-road.sh "$build" down' EXIT
ONDREL_SCREENSHOTS=$PWD/docs scripts/wine-road.sh "$build" run "$build/win32_tray_tests.exe" \
  --gtest_also_run_disabled_tests --gtest_filter='DISABLED_Screenshots.*'
ls -l docs/ondrel-tray-menu-windows.png docs/ondrel-about-windows.png
