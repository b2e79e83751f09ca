#!/usr/bin/env bash
# Sets up, builds and runs every test: the normal build, the sanitizer build
# (AddressSanitizer and UndefinedBehaviorSanitizer) and the bounded fuzz runs.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

scripts/setup.sh
ctest --test-dir build --output-on-failure -j "$jobs"

ZOR_BUILD_DIR=build-asan ZOR_BUILD_TYPE=Debug ZOR_CMAKE_ARGS="-DZOR_SANITIZE=ON" scripts/setup.sh
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir build-asan --output-on-failure -j "$jobs"

if [ -x scripts/fuzz.sh ]; then
    scripts/fuzz.sh
fi
