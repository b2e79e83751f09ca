#!/usr/bin/env bash
# Sets up, builds and runs every test: the normal build, the sanitizer build
# (AddressSanitizer and UndefinedBehaviorSanitizer), the ThreadSanitizer build
# of the tests whose code runs on several threads, and the bounded fuzz runs.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

scripts/setup.sh
ctest --test-dir build --output-on-failure -j "$jobs"

ZOR_BUILD_DIR=build-asan ZOR_BUILD_TYPE=Debug ZOR_CMAKE_ARGS="-DZOR_SANITIZE=ON" scripts/setup.sh
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir build-asan --output-on-failure -j "$jobs"

# ThreadSanitizer: only the code that runs on several threads at once (trace
# scopes, the element pool and text blocks, notifications, ZorRun's parallel
# jobs); building just those executables keeps this stage short.
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZOR_TSAN=ON -DZOR_BUILD_BENCH=OFF \
    -DZOR_BUILD_VIEWER=OFF >/dev/null
cmake --build build-tsan --target TraceTests StoreTests RunTests ZorRunTests
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
    ctest --test-dir build-tsan --output-on-failure --no-tests=error -j "$jobs" \
    -R '^(Trace|StoreConcurrency|TextBlock|Notification|ZorRunJobs)'

if [ -x scripts/fuzz.sh ]; then
    scripts/fuzz.sh
fi
