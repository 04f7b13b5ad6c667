#!/usr/bin/env bash
# Builds every fuzz target with clang and libFuzzer under ASan and UBSan, seeds
# a corpus with the project's writers and the committed regression corpus, and
# runs each target for SECONDS.
# Exits non-zero on any crash or sanitizer report.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
dir=fuzz-build
CC=clang CXX=clang++ scripts/build.sh "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DRAWSPLIT_TESTS=OFF -DRAWSPLIT_FUZZ=ON
shopt -s nullglob
targets=("$dir"/fuzz/fuzz_*)
if [ "${#targets[@]}" -eq 0 ]; then
  echo "fuzz: no targets"
  exit 1
fi
for t in "${targets[@]}"; do
  name=$(basename "$t")
  corpus=fuzz-corpus/$name
  mkdir -p "$corpus"
  "$dir"/fuzz/make_fuzz_seeds "$name" "$corpus"
  echo "fuzz: $name for ${seconds}s"
  "$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=0 \
    "$corpus" "fuzz/corpus/$name" >"$dir/$name.log" 2>&1 || { tail -n 60 "$dir/$name.log"; echo "fuzz: $name failed"; exit 1; }
done
echo "fuzz: all targets clean"
