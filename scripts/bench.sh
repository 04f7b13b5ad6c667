#!/usr/bin/env bash
# scripts/bench.sh [MEGABYTES]: times the conversion (rawsplit -d) of every
# input form on MEGABYTES (default 200) of records, next to cat and the
# standard decompressors on the same record stream in their own formats, and
# prints wall time, CPU time (user + system) and peak resident memory for
# each, then each form's ratio: its conversion wall time over the standard
# tool's time on the same payload (type-27 and record-35 payloads: over the
# same form's plain-record conversion).
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
# machine may be shared), output discarded; CPU time and peak memory of that
# run. The wall time is kept in $work/wall-LABEL for the ratios.
measure() {
  local label=$1 file=$2
  shift 2
  local stats="" run
  for run in 1 2 3; do
    (cd "$work" && /usr/bin/time -o "$work/time.txt" -f '%e %U %S %M' "$@" >/dev/null 2>&1)
    run=$(tail -n 1 "$work/time.txt")
    if [ -z "$stats" ] || awk -v a="${run%% *}" -v b="${stats%% *}" 'BEGIN { exit !(a < b) }'; then
      stats=$run
    fi
  done
  echo "${stats%% *}" >"$work/wall-${label// /_}"
  local size
  size=$(stat -c %s "$work/$file")
  awk -v l="$label" -v s="$size" -v stats="$stats" \
    'BEGIN { split(stats, f, " "); printf "%-26s %9.1f %8.2f %8.2f %9s\n", l, s / 1e6, f[1], f[2] + f[3], f[4] }'
}

# ratio FORM LABEL BASE GOAL: LABEL's wall time over BASE's, with the goal.
ratio() {
  awk -v form="$1" -v base="$3" -v goal="$4" -v a="$(cat "$work/wall-${2// /_}")" \
    -v b="$(cat "$work/wall-${3// /_}")" \
    'BEGIN { printf "%-16s %7.2fx %-24s goal %s\n", form, (b > 0 ? a / b : 0), base, goal }'
}

header() { printf '%-26s %9s %8s %8s %9s\n' "form" "input MB" "wall s" "CPU s" "peak KiB"; }

awk -v s="$(stat -c %s "$work/payload.bin")" 'BEGIN { printf "payload: %.1f MB of records\n", s / 1e6 }'
header
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

echo "ratios (conversion wall time / reference wall time):"
ratio R00 "rawsplit -d R00" "gzip -dc" "<= 0.1x"
ratio T00 "rawsplit -d T00" "gzip -dc" "<= 0.1x"
ratio T01 "rawsplit -d T01" "gzip -dc" "<= 0.35x"
ratio "zlib blocks" "rawsplit -d T02 zlib" "gzip -dc" "<= 0.5x"
ratio "bzip2 blocks" "rawsplit -d T02 bzip2" "bzip2 -dc" "<= 0.6x"
ratio "brotli blocks" "rawsplit -d T04 brotli" "brotli -dc" "<= 1.05x"
ratio "zstd blocks" "rawsplit -d T04 zstd" "zstd -dc" "<= 1.1x"
ratio "T01 type 27" "rawsplit -d T01 27" "rawsplit -d T01" "<= 1.5x"
ratio "brotli type 27" "rawsplit -d T04 27 brotli" "rawsplit -d T04 brotli" "<= 1.5x"
ratio "zstd type 27" "rawsplit -d T04 27 zstd" "rawsplit -d T04 zstd" "<= 1.5x"
ratio "zstd record 35" "rawsplit -d T04 rec35" "rawsplit -d T04 zstd" "<= 1.5x"
