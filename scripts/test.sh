#!/usr/bin/env bash
# Sets everything up, builds and runs every test; then builds the suite again with
# AddressSanitizer and UndefinedBehaviorSanitizer and runs it once more.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

scripts/setup.sh
scripts/check-format.sh
ctest --test-dir build --output-on-failure -j "$jobs"

BUILD_DIR=build-asan BUILD_TYPE=Debug CMAKE_EXTRA_ARGS="-DSI_SANITIZE=ON -DSI_BUILD_BENCH=OFF" \
    scripts/setup.sh
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir build-asan --output-on-failure -j "$jobs"

# A short run of every fuzz target over the parsers of outside bytes.
FUZZ_SECONDS=${FUZZ_SECONDS:-15} scripts/fuzz.sh
echo "All tests passed (plain and sanitized builds, fuzz targets)."
