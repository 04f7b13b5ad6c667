#!/usr/bin/env bash
# tests/batch_test.sh RAWSPLIT MAKE_SAMPLE MAKE_BENCH: runs scripts/batch.sh
# over a tree of about twenty logs of every form (some damaged, some not logs
# at all, two with one base name) and checks batch.csv against single runs of
# rawsplit, the mirror tree, and that a second run resumes without converting
# anything again.
set -euo pipefail
rawsplit=$1 make_sample=$2 make_bench=$3
scripts=$(cd "$(dirname "$0")/../scripts" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/rawsplit-batch-XXXXXX")
trap '[ "${BATCH_TEST_KEEP:-0}" = 1 ] || rm -rf "$work"' EXIT
export RAWSPLIT=$rawsplit RAWSPLIT_CONFIG=$work/none.conf
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# --- The tree ------------------------------------------------------------
in=$work/in
mkdir -p "$in/site1/day233" "$in/site1/day234" "$in/site2" "$in/broken"
"$make_sample" "$in/site1/day233/gs00233a.r00"
"$make_bench" "$work" 0.05
cp "$work/bench.r00" "$in/site1/day234/gs00234a.r00"
cp "$work/bench.t00" "$in/site1/day234/gs00234b.T00"
cp "$work/bench.t01" "$in/site1/day234/gs00234c.t01"
cp "$work/bench-zlib.t02" "$in/site2/zlib.t02"
cp "$work/bench-bzip2.t02" "$in/site2/bzip2.T02"
cp "$work/bench-brotli.t04" "$in/site2/brotli.t04"
cp "$work/bench-zstd.t04" "$in/site2/zstd.t04"
# One base name, two forms: each writes its own outputs.
cp "$work/bench.r00" "$in/site2/same.r00"
cp "$work/bench.t01" "$in/site2/same.t01"
# Damaged copies: cut short, a zeroed stretch, inverted bytes.
head -c 20000 "$work/bench.r00" >"$in/broken/cut.r00"
head -c 30000 "$work/bench.t00" >"$in/broken/cut.t00"
head -c 9000 "$work/bench-zlib.t02" >"$in/broken/cut.t02"
head -c 9000 "$work/bench-zstd.t04" >"$in/broken/cut.t04"
cp "$work/bench.r00" "$in/broken/zeroed.r00"
dd if=/dev/zero of="$in/broken/zeroed.r00" bs=1 seek=15000 count=700 conv=notrunc status=none
cp "$work/bench.t01" "$in/broken/flipped.t01"
printf '\377\377\377\377' | dd of="$in/broken/flipped.t01" bs=1 seek=5000 conv=notrunc status=none
head -c 500 "$work/bench.r00" >"$in/broken/header-only.r00"
# Not logs: an empty file and a text file with log names; a file without a
# log name, which the batch leaves alone.
: >"$in/broken/empty.t01"
printf 'survey notes\n' >"$in/broken/notes.r00"
printf 'not a log\n' >"$in/site2/readme.txt"
logs=$(find "$in" -type f ! -name readme.txt | wc -l)

# --- The batch -------------------------------------------------------------
out=$work/out
summary=$("$scripts/batch.sh" "$in" "$out" -deim -c) || true
echo "$summary"
csv=$out/batch.csv
[ "$(head -n 1 "$csv")" = "input,exit status,status text,records,lost bytes,seconds" ] ||
  fail "header line: $(head -n 1 "$csv")"
[ "$(($(wc -l <"$csv") - 1))" -eq "$logs" ] || fail "$logs logs, $(($(wc -l <"$csv") - 1)) rows"
grep -q '^batch: '"$logs"' files: ' <<<"$summary" || fail "tally: $summary"
grep -q readme "$csv" && fail "readme.txt converted"

# Each row against a single run of the same file with the same options.
single=$work/single
tail -n +2 "$csv" | while IFS=, read -r input status text records lost seconds; do
  input=${input//\"/}
  rm -rf "$single" && mkdir "$single"
  expected=0
  lines=$("$rawsplit" -v -deim -c "$in/$input" "$single/" 2>/dev/null) || expected=$?
  [ "$status" = "$expected" ] || fail "$input: table says $status, a single run $expected"
  want=$(sed -n 's/^rawsplit:  records: //p' <<<"$lines")
  [ "$records" = "${want:-0}" ] || fail "$input: table says $records records, a single run $want"
  want=$(sed -n 's/^rawsplit:  total lost bytes: //p' <<<"$lines")
  [ "$lost" = "${want:-0}" ] || fail "$input: table says $lost lost bytes, a single run $want"
  if [ -z "$text" ] || [ -z "$seconds" ]; then fail "$input: no status text or time"; fi
  case $status in
    0 | 29 | 32) ;;
    *) grep -qF "$("$rawsplit" -deim -c "$in/$input" "$single/" 2>&1 >/dev/null |
      sed 's/^rawsplit: //; s/ (status .*//')" <<<"$text" || fail "$input: status text $text" ;;
  esac
  if [ -n "$(ls "$single")" ]; then
    for file in "$single"/*; do
      folder=$out/$(dirname "$input")
      [ -f "$folder/$(basename "$file")" ] || [ -f "$folder/${input##*.}/$(basename "$file")" ] ||
        fail "$input: no $(basename "$file") in the mirror tree"
    done
  fi
done | tee "$work/row-failures"
failures=$((failures + $(grep -c '^FAIL' "$work/row-failures" || true)))
awk -F , 'NR > 1 && ($2 != 0 || $5 > 0) { n++ } END { exit !(n > 0) }' "$csv" ||
  fail "no damaged file failed or lost bytes: $(cat "$csv")"
for form in r00 t01; do [ -f "$out/site2/$form/same.dat" ] || fail "no same.$form outputs"; done

# --- Resume: nothing is converted again, the table stays -------------------
cp "$csv" "$work/first.csv"
touch -d '2001-01-01' "$out/site2/zstd.t04.log"
"$scripts/batch.sh" "$in" "$out" -deim -c >/dev/null || true
[ "$(stat -c %Y "$out/site2/zstd.t04.log")" = "$(date -d '2001-01-01' +%s)" ] || fail "resumed run converted again"
cmp -s "$csv" "$work/first.csv" || fail "the table changed on resume"
"$scripts/batch.sh" "$in" "$out" -d >/dev/null 2>&1 && fail "other options on the same output accepted"

echo "$((failures == 0 ? 1 : 0)) passed, $((failures > 0 ? 1 : 0)) failed"
[ "$failures" -eq 0 ]
