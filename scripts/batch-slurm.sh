#!/usr/bin/env bash
# scripts/batch-slurm.sh INPUT_DIR OUTPUT_DIR [rawsplit options]: the batch
# conversion of batch.sh on a Slurm cluster. Writes the job list, submits one
# array job with a task per file (at most BATCH_SLURM_PARALLEL tasks running
# at once, default 64; extra sbatch options in BATCH_SLURM_OPTIONS, such as a
# partition or a time limit) and a last job that writes OUTPUT_DIR/batch.csv
# when every task has ended. The nodes must see INPUT_DIR, OUTPUT_DIR, this
# folder and the rawsplit binary under the same paths. Submitting again
# resumes: tasks whose log is complete end at once. The array size is
# bounded by the cluster's MaxArraySize.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
[ $# -ge 2 ] || { echo "usage: scripts/batch-slurm.sh INPUT_DIR OUTPUT_DIR [rawsplit options]" >&2; exit 2; }
"$here/batch.sh" --prepare "$@"
state=$(cd "$2" && pwd)/.batch
count=$(wc -l <"$state/jobs")
[ "$count" -gt 0 ] || { echo "batch: no receiver log under $1" >&2; exit 1; }
# shellcheck disable=SC2086  # BATCH_SLURM_OPTIONS holds several options
array=$(sbatch --parsable ${BATCH_SLURM_OPTIONS:-} --job-name=rawsplit \
  --array="1-$count%${BATCH_SLURM_PARALLEL:-64}" --output="$state/slurm-%A_%a.out" \
  --wrap="'$here/batch-job.sh' --skip-done '$state' \"\$SLURM_ARRAY_TASK_ID\"")
# shellcheck disable=SC2086
table=$(sbatch --parsable ${BATCH_SLURM_OPTIONS:-} --job-name=rawsplit-table --dependency="afterany:$array" \
  --output="$state/slurm-table.out" --wrap="'$here/batch.sh' --table '$(dirname "$state")'")
echo "batch: $count tasks in array job $array; job $table writes $(dirname "$state")/batch.csv after them"
