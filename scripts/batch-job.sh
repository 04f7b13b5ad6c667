#!/usr/bin/env bash
# scripts/batch-job.sh [--skip-done] STATE_DIR N: converts job N of the job
# list STATE_DIR/jobs made by batch.sh: rawsplit -v and the batch's options on
# the input, into its output folder, standard output and standard error into
# the job's log, which ends with "batch: exit STATUS seconds SECONDS". With
# --skip-done a job whose log already ends so is left as it is (resuming
# under a scheduler without a job log). Exits with rawsplit's status.
set -uo pipefail
skip_done=0
if [ "${1:-}" = --skip-done ]; then skip_done=1; shift; fi
state=$1
number=$2
IFS=$'\t' read -r input output log < <(sed -n "${number}p" "$state/jobs")
if [ -z "${input:-}" ]; then
  echo "batch-job: no job $number in $state/jobs" >&2
  exit 2
fi
if [ "$skip_done" = 1 ] && [ -f "$log" ] && tail -n 1 "$log" | grep -q '^batch: exit '; then exit 0; fi
mapfile -t options <"$state/options"
rawsplit=$(cat "$state/rawsplit")
mkdir -p "$output" "$(dirname "$log")"
start=$(date +%s.%N)
"$rawsplit" -v "${options[@]}" "$input" "$output" </dev/null >"$log" 2>&1
status=$?
end=$(date +%s.%N)
awk -v s="$status" -v a="$start" -v b="$end" 'BEGIN { printf "batch: exit %d seconds %.3f\n", s, b - a }' \
  >>"$log"
exit "$status"
