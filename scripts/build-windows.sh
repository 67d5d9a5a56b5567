#!/usr/bin/env bash
# Cross-builds Ondrel's Windows edition and its tests into build-windows/,
# with Debian's mingw-w64, and the zip for operators,
# dist/ondrel-windows-x64.zip (ondrel.exe and a guide in Chinese,
# packaging/windows/); the tests run under Wine:
#
#   scripts/build-windows.sh
#   ctest --test-dir build-windows --output-on-failure
#
# Installs the Debian packages that are missing, builds the SQL Server
# stand-in for this machine (build/sqlstandin, which the Windows tests talk
# to), then the Windows programs and the Wine prefix they run in
# (build-windows/wineprefix, made once; see scripts/wine-road.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/packages.sh

packages=(
  cmake make
  g++-mingw-w64-x86-64-posix       # the POSIX thread model: std::thread, std::mutex
  googletest                       # sources, cross-built with the tests
  wine wine64 fonts-wine           # `wine` itself comes with the package wine
  libodbc2 tdsodbc                 # Wine's odbc32 hands the calls to unixODBC, then FreeTDS
  fonts-wqy-zenhei                 # draws SimSun's Chinese
  locales                          # zh_CN.UTF-8, compiled into the build folder
  xvfb xauth                       # the tests' display
  trayer xdotool x11-utils         # a notification area on it (XEmbed), clicks and window trees
  python3                          # checks the zip (packaging/windows/zip_check.py)
)
install_missing "${packages[@]}"

# The stand-in runs on this machine: the Linux build's target sqlstandin.
scripts/install-deps.sh
if [ ! -f build/CMakeCache.txt ]; then
  cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build build -j2 --target sqlstandin

cmake -S . -B build-windows -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DONDREL_HOST_STANDIN="$PWD/build/sqlstandin" -DONDREL_DIST_DIR="$PWD/dist"
cmake --build build-windows -j2
