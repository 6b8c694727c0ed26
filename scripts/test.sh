#!/usr/bin/env bash
# Sets everything up and runs every test:
#   1. the main build (native and Winelib trees) and all its ctest suites;
#   2. the native suites again under AddressSanitizer and UndefinedBehaviorSanitizer;
#   3. the libFuzzer targets for a bounded time.
# Exits non-zero on the first failure.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
cd "$LUMO_ROOT"

lumo_install_packages
jobs=$(nproc)

lumo_build "$LUMO_ROOT/build"
lumo_log "Running the test suites"
ctest --test-dir build --output-on-failure -j"$jobs" --timeout 900

lumo_log "Building and running the native suites with ASan and UBSan"
cmake -S . -B build-sanitize -DLUMO_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build-sanitize -j"$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-sanitize --output-on-failure -j"$jobs" --timeout 900 -LE nosanitize

lumo_log "Building and running the fuzzers (bounded)"
cmake -S . -B build-fuzz -DLUMO_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build build-fuzz -j"$jobs"
ctest --test-dir build-fuzz --output-on-failure -L fuzz --timeout 900

lumo_log "All tests passed"
