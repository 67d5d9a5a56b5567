#!/usr/bin/env bash
# Builds Ondrel with its tools and runs every test: the suite, the Windows
# edition cross-built and tested under Wine, a smoke run of the benchmarks
# (each runs to its end and prints its figures; timings are not judged), the
# same suite under AddressSanitizer and UndefinedBehaviorSanitizer, and a
# bounded run of the settings-reader fuzzer.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

scripts/install-deps.sh

echo "== Build and test"
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"

echo "== The Windows edition: cross-built with mingw-w64, tested under Wine"
scripts/build-windows.sh
ctest --test-dir build-windows --output-on-failure -j"$jobs"

echo "== Benchmarks, smoke run"
scripts/bench.sh --smoke

echo "== Build and test under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DONDREL_SANITIZE=ON >/dev/null
cmake --build build-asan -j"$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  LSAN_OPTIONS=suppressions=$PWD/tests/sanitizer/lsan.supp \
  ctest --test-dir build-asan --output-on-failure -j"$jobs"

echo "== Fuzz the settings reader"
scripts/fuzz.sh "${ONDREL_FUZZ_SECONDS:-60}"
