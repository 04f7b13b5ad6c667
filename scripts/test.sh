#!/usr/bin/env bash
# Installs the dependencies, then builds and runs every test: a plain build,
# the library embedded through its installed package, a build under
# AddressSanitizer and UndefinedBehaviorSanitizer, and a short
# run of every fuzz target.
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

scripts/fuzz.sh "${FUZZ_SECONDS:-20}"
echo "all tests passed"
