#!/usr/bin/env bash
# Builds Ondrel and runs its benchmarks against the SQL Server stand-in,
# printing the figures. Not part of the tests: timings on a shared machine
# are reported, never asserted.
#   scripts/bench.sh [SOAK_SECONDS]   (default 600: ten minutes of the footprint soak)
set -euo pipefail
cd "$(dirname "$0")/.."
soak=${1:-600}

scripts/install-deps.sh
# What the footprint benchmark drives and watches the program with.
missing=()
for p in xdotool strace iproute2; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  as_root=()
  [ "$(id -u)" -ne 0 ] && as_root=(sudo)
  echo "Installing: ${missing[*]}"
  "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
  "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target ondrel sqlstandin schedule_benchmark bare_window window_clock

echo "== Load while benchmarking: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores"
echo "== Schedule"
build/schedule_benchmark
echo
echo "== Footprint"
bench/footprint.sh build "$soak"
echo "== Load afterwards: $(cut -d' ' -f1-3 /proc/loadavg)"
