#!/usr/bin/env bash
# Installs the dependencies, then builds and runs every test: a plain build,
# the library embedded through its installed package, a build under
# AddressSanitizer and UndefinedBehaviorSanitizer, the thread test under
# ThreadSanitizer, and a short run of every fuzz target.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
jobs=$(nproc 2>/dev/null || echo 2)

scripts/build.sh build -DRAWSPLIT_WERROR=ON
ctest --test-dir build --output-on-failure -j "$jobs"
scripts/embed-test.sh build

scripts/build.sh build-asan -DCMAKE_BUILD_TYPE=Debug -DRAWSPLIT_SANITIZE=ON -DRAWSPLIT_WERROR=ON
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j "$jobs"

# Converters on two threads under ThreadSanitizer: that test alone.
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRAWSPLIT_TSAN=ON \
  -DRAWSPLIT_WERROR=ON >/dev/null
cmake --build build-tsan --target rawsplit_thread_tests
TSAN_OPTIONS=halt_on_error=1 build-tsan/tests/threads/rawsplit_thread_tests

scripts/fuzz.sh "${FUZZ_SECONDS:-20}"
echo "all tests passed"
