#!/usr/bin/env bash
# scripts/bench.sh [MEGABYTES]: times the conversion (rawsplit -d) of every
# input form on MEGABYTES (default 200) of records, next to cat and the
# standard decompressors on the same record stream in their own formats, and
# prints wall time and peak resident memory for each.
set -euo pipefail
cd "$(dirname "$0")/.."
megabytes=${1:-200}
scripts/install-deps.sh
scripts/build.sh build-bench -DCMAKE_BUILD_TYPE=Release -DRAWSPLIT_TESTS=OFF
work=$(mktemp -d /tmp/rawsplit-bench-XXXXXX)
trap 'rm -rf "$work"' EXIT

build-bench/tools/make_bench "$work" "$megabytes"
gzip -c -6 "$work/payload.bin" >"$work/payload.gz"
bzip2 -c -9 "$work/payload.bin" >"$work/payload.bz2"
zstd -q -c -3 "$work/payload.bin" >"$work/payload.zst"
brotli -c -q 5 "$work/payload.bin" >"$work/payload.br"
gzip -c -6 "$work/payload27.bin" >"$work/payload27.gz"
zstd -q -c -3 "$work/payload27.bin" >"$work/payload27.zst"
brotli -c -q 5 "$work/payload27.bin" >"$work/payload27.br"
zstd -q -c -3 "$work/payload-rec35.bin" >"$work/payload-rec35.zst"
rawsplit=$PWD/build-bench/app/rawsplit

# measure LABEL FILE COMMAND...: the fastest of three timed runs (the
# machine may be shared), output discarded; peak memory of that run.
measure() {
  local label=$1 file=$2
  shift 2
  local stats="" run
  for run in 1 2 3; do
    (cd "$work" && /usr/bin/time -o "$work/time.txt" -f '%e %M' "$@" >/dev/null 2>&1)
    run=$(tail -n 1 "$work/time.txt")
    if [ -z "$stats" ] || awk -v a="${run% *}" -v b="${stats% *}" 'BEGIN { exit !(a < b) }'; then
      stats=$run
    fi
  done
  local size
  size=$(stat -c %s "$work/$file")
  awk -v l="$label" -v s="$size" -v t="${stats% *}" -v m="${stats#* }" \
    'BEGIN { printf "%-22s %10.1f %9s %10s\n", l, s / 1e6, t, m }'
}

awk -v s="$(stat -c %s "$work/payload.bin")" 'BEGIN { printf "payload: %.1f MB of records\n", s / 1e6 }'
printf '%-22s %10s %9s %10s\n' "form" "input MB" "wall s" "peak KiB"
measure "rawsplit -d R00" bench.r00 "$rawsplit" -d bench.r00
measure "rawsplit -d T00" bench.t00 "$rawsplit" -d bench.t00
measure "rawsplit -d T01" bench.t01 "$rawsplit" -d bench.t01
measure "rawsplit -d T02 zlib" bench-zlib.t02 "$rawsplit" -d bench-zlib.t02
measure "rawsplit -d T02 bzip2" bench-bzip2.t02 "$rawsplit" -d bench-bzip2.t02
measure "rawsplit -d T04 brotli" bench-brotli.t04 "$rawsplit" -d bench-brotli.t04
measure "rawsplit -d T04 zstd" bench-zstd.t04 "$rawsplit" -d bench-zstd.t04
measure "rawsplit -d T04 rec35" bench-rec35.t04 "$rawsplit" -d bench-rec35.t04
measure "cat" payload.bin cat payload.bin
measure "gzip -dc" payload.gz gzip -dc payload.gz
measure "bzip2 -dc" payload.bz2 bzip2 -dc payload.bz2
measure "zstd -dc" payload.zst zstd -dc payload.zst
measure "zstd -dc rec35" payload-rec35.zst zstd -dc payload-rec35.zst
measure "brotli -dc" payload.br brotli -dc payload.br

awk -v s="$(stat -c %s "$work/payload27.bin")" \
  'BEGIN { printf "measurement payload: %.1f MB of type-27 epochs\n", s / 1e6 }'
measure "rawsplit -d T01 27" m27.t01 "$rawsplit" -d m27.t01
measure "rawsplit -d T04 27 brotli" m27-brotli.t04 "$rawsplit" -d m27-brotli.t04
measure "rawsplit -d T04 27 zstd" m27-zstd.t04 "$rawsplit" -d m27-zstd.t04
measure "gzip -dc 27" payload27.gz gzip -dc payload27.gz
measure "zstd -dc 27" payload27.zst zstd -dc payload27.zst
measure "brotli -dc 27" payload27.br brotli -dc payload27.br
