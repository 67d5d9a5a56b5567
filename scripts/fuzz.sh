#!/usr/bin/env bash
# Runs the settings-reader fuzzer for a bounded time (seconds, default 60)
# over the corpus kept in the repository. New inputs it finds go to a
# scratch copy; add the interesting ones to tests/fuzz/corpus by hand.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}

CC=clang CXX=clang++ cmake -S . -B build-fuzz -DONDREL_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz -j"$(nproc)" --target config_fuzzer

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp tests/fuzz/corpus/* "$work"/
TMPDIR=${TMPDIR:-/dev/shm} ./build-fuzz/config_fuzzer "$work" \
  -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 2>&1 | tail -n 20
