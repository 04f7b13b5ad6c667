#!/usr/bin/env bash
# scripts/differential.sh OLD_REV [NEW_REV]: builds rawsplit at two revisions
# (NEW_REV defaults to the working tree, uncommitted changes included) and
# runs both over the same inputs with several option sets, comparing exit
# status, standard output and every output file byte for byte. The inputs
# are made by the OLD revision's own writers: the sample, the benchmark
# inputs of every form (DIFF_MEGABYTES, default 2), damaged copies of each
# (truncated, flipped bytes, a zeroed chunk), joined inputs, an empty file, a
# text file and a missing input. Prints every difference and the number of
# runs compared; exits 1 on any difference. DIFF_KEEP=1 keeps the work folder.
set -euo pipefail
set -f  # option sets hold "*" and must reach rawsplit as typed

if [ $# -lt 1 ] || [ $# -gt 2 ]; then
  echo "usage: scripts/differential.sh OLD_REV [NEW_REV]" >&2
  exit 2
fi
root=$(cd "$(dirname "$0")/.." && pwd)
old_rev=$(git -C "$root" rev-parse --verify "$1^{commit}")
new_rev=""
if [ $# -eq 2 ]; then new_rev=$(git -C "$root" rev-parse --verify "$2^{commit}"); fi
megabytes=${DIFF_MEGABYTES:-2}

work=$(mktemp -d /tmp/rawsplit-diff-XXXXXX)
worktrees=()
cleanup() {
  local wt
  for wt in "${worktrees[@]}"; do git -C "$root" worktree remove --force "$wt" >/dev/null 2>&1 || true; done
  git -C "$root" worktree prune >/dev/null 2>&1 || true
  if [ "${DIFF_KEEP:-0}" = 1 ]; then echo "work folder kept: $work"; else rm -rf "$work"; fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM  # so that an interrupted run cleans up too

# build SIDE REV: builds rawsplit, make_sample and make_bench of REV (the
# working tree when REV is empty) into $work/build-SIDE.
build() {
  local side=$1 rev=$2 src=$root
  if [ -n "$rev" ]; then
    src=$work/src-$side
    git -C "$root" worktree add --detach "$src" "$rev" >/dev/null 2>&1
    worktrees+=("$src")
  fi
  echo "building $side: ${rev:-working tree}"
  cmake -S "$src" -B "$work/build-$side" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DRAWSPLIT_TESTS=OFF >"$work/build-$side.log" 2>&1
  if ! cmake --build "$work/build-$side" -j 2 --target rawsplit make_sample make_bench \
    >>"$work/build-$side.log" 2>&1; then
    tail -n 30 "$work/build-$side.log" >&2
    echo "build of $side failed" >&2
    exit 2
  fi
}

build old "$old_rev"
build new "$new_rev"

# tool SIDE NAME: the built program NAME of SIDE, wherever its tree puts it.
tool() {
  find "$work/build-$1" -name "$2" -type f -perm -u+x | head -n 1
}
old_rawsplit=$(tool old rawsplit)
new_rawsplit=$(tool new rawsplit)

# --- Inputs ---------------------------------------------------------------
in=$work/inputs
mkdir -p "$in"
"$(tool old make_sample)" "$in/gs00233a.r00"
"$(tool old make_bench)" "$in" "$megabytes"
rm -f "$in/payload.bin"
originals=(gs00233a.r00 bench.r00 bench.t00 bench.t01 bench-zlib.t02 bench-bzip2.t02
  bench-brotli.t04 bench-zstd.t04)

# Positions come from a fixed linear congruential sequence, so that every run
# of this script damages the same bytes.
lcg=12345
next_position() {  # next_position LIMIT: sets position in [0, LIMIT)
  lcg=$(((lcg * 1103515245 + 12345) % 2147483648))
  position=$((lcg % $1))
}

# flip FILE COUNT: inverts COUNT bytes at sequence positions.
flip() {
  local file=$1 count=$2 size byte i
  size=$(stat -c %s "$file")
  for ((i = 0; i < count; i++)); do
    next_position "$size"
    byte=$(od -An -tu1 -j "$position" -N1 "$file" | tr -d ' ')
    printf "\\$(printf '%03o' $((byte ^ 0xff)))" |
      dd of="$file" bs=1 seek="$position" conv=notrunc status=none
  done
}

# damage NAME: writes the damaged copies of inputs/NAME beside it.
damaged=()
damage() {
  local name=$1 base=${1%.*} ext=.${1##*.} size cut
  size=$(stat -c %s "$in/$name")
  for cut in 100 $((size / 3)) $((size / 2 + 7)) $((size - 5)); do
    head -c "$cut" "$in/$name" >"$in/$base-cut$cut$ext"
    damaged+=("$base-cut$cut$ext")
  done
  for seed in 1 2; do
    cp "$in/$name" "$in/$base-flip$seed$ext"
    flip "$in/$base-flip$seed$ext" $((seed * 4))
    damaged+=("$base-flip$seed$ext")
  done
  cp "$in/$name" "$in/$base-zero$ext"
  dd if=/dev/zero of="$in/$base-zero$ext" bs=1 seek=$((size * 2 / 5)) count=4096 conv=notrunc \
    status=none
  damaged+=("$base-zero$ext")
}
for name in "${originals[@]}"; do damage "$name"; done
: >"$in/empty.r00"
printf 'not a receiver log\nsecond line\n' >"$in/notes.t01"

# Input arguments: one name, or names joined with "+". "nosuch.r00" is
# missing on purpose.
input_args=("${originals[@]}" "${damaged[@]}" empty.r00 notes.t01 nosuch.r00
  "bench.t00+bench.t01" "bench-zlib.t02+bench-zstd.t04" "gs00233a.r00+bench.r00"
  "gs00233a.r00+bench-zero.r00")

option_sets=(
  "-deimas" "-deim -c" "-deim -f -v2" "-d -v3" "-dg" "-do+" "-q" "-deimas -f -u1"
  "-deimav -s" "-d -c -f -k" "-deimas -x*" "-d -t.r00"
)

# --- Runs -------------------------------------------------------------------
: >"$work/empty.conf"
export RAWSPLIT_CONFIG=$work/empty.conf

# run SIDE INPUTS OPTIONS: runs SIDE's rawsplit in the empty folder run-SIDE
# holding copies of the inputs of INPUTS; status into status-SIDE.
run() {
  local side=$1 inputs=$2 options=$3 part status=0
  local dir=$work/run-$side
  rm -rf "$dir"
  mkdir "$dir"
  for part in ${inputs//+/ }; do
    if [ -e "$in/$part" ]; then cp "$in/$part" "$dir/"; fi
  done
  # shellcheck disable=SC2086  # the option set is split into arguments
  (cd "$dir" && timeout 120 "$(eval echo "\$${side}_rawsplit")" $options "$inputs" \
    </dev/null >"$work/stdout-$side" 2>/dev/null) || status=$?
  echo "$status" >"$work/status-$side"
}

runs=0
differences=0
report() {
  differences=$((differences + 1))
  echo "DIFF [$options] $inputs: $*"
}

# compare INPUTS OPTIONS: one run of each side and every comparison.
compare() {
  local inputs=$1 options=$2 old_status new_status file
  run old "$inputs" "$options"
  run new "$inputs" "$options"
  runs=$((runs + 1))
  old_status=$(cat "$work/status-old")
  new_status=$(cat "$work/status-new")
  echo "$old_status" >>"$work/statuses"
  [ "$old_status" = "$new_status" ] || report "exit status $old_status (old) vs $new_status (new)"
  if ! cmp -s "$work/stdout-old" "$work/stdout-new"; then
    report "standard output differs: $(cmp "$work/stdout-old" "$work/stdout-new" 2>&1 | head -n 1)"
    diff "$work/stdout-old" "$work/stdout-new" | head -n 6 | sed 's/^/    /' || true
  fi
  (cd "$work/run-old" && find . -type f | sort) >"$work/files-old"
  (cd "$work/run-new" && find . -type f | sort) >"$work/files-new"
  while read -r file; do report "only in old: $file"; done < <(comm -23 "$work/files-old" "$work/files-new")
  while read -r file; do report "only in new: $file"; done < <(comm -13 "$work/files-old" "$work/files-new")
  while read -r file; do
    cmp -s "$work/run-old/$file" "$work/run-new/$file" ||
      report "$file differs: $(cmp "$work/run-old/$file" "$work/run-new/$file" 2>&1 | head -n 1)"
  done < <(comm -12 "$work/files-old" "$work/files-new")
}

echo "comparing ${#input_args[@]} inputs x ${#option_sets[@]} option sets"
for inputs in "${input_args[@]}"; do
  for options in "${option_sets[@]}"; do compare "$inputs" "$options"; done
done

echo "exit statuses seen (count x status): $(sort -n "$work/statuses" | uniq -c |
  awk '{ printf "%s%sx%s", sep, $1, $2; sep = " " }')"
echo "$runs runs compared, $differences differences"
[ "$differences" -eq 0 ]
