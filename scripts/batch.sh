#!/usr/bin/env bash
# scripts/batch.sh [--sshlogin LOGIN]... [--jobs N] INPUT_DIR OUTPUT_DIR [rawsplit options]
#   Converts every receiver log under INPUT_DIR (names ending in .r00, .t00,
#   .t01, .t02 or .t04, any case) with GNU parallel: one rawsplit per file, as
#   many at once as there are cores (or N), a progress bar when standard error
#   is a terminal. Outputs go into the same folders under OUTPUT_DIR; two logs
#   of one folder with the same base name (a.r00 and a.t00) write into
#   subfolders named after their extensions, so no two jobs share an output
#   name. Run again to resume: finished files are not converted again. At the
#   end OUTPUT_DIR/batch.csv holds one line per file (input, exit status,
#   status text, records, lost bytes, seconds) and a one-line tally follows.
#   Options default to -deim; -v is always added (the table reads its lines).
#   With --sshlogin the jobs also run on other machines, which must see
#   INPUT_DIR, OUTPUT_DIR, this folder and the rawsplit binary under the same
#   paths (a shared file system). The exit status is 0 when every file was
#   converted (statuses 0, 29 and 32), else 1.
# scripts/batch.sh --prepare INPUT_DIR OUTPUT_DIR [rawsplit options]
#   Writes the job list only (used by batch-slurm.sh).
# scripts/batch.sh --table OUTPUT_DIR
#   Writes batch.csv and the tally from the job logs.
# The rawsplit binary is $RAWSPLIT, else rawsplit on the PATH, else the one
# built in build/app.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

usage() {
  sed -n '2,4p' "$0" | sed 's/^# //' >&2
  exit 2
}

# absolute DIR: DIR as an absolute path (it need not exist yet).
absolute() {
  case $1 in
    /*) printf '%s\n' "${1%/}" ;;
    *) printf '%s\n' "$PWD/${1%/}" ;;
  esac
}

# The rawsplit binary the jobs run, as an absolute path.
find_rawsplit() {
  local binary=${RAWSPLIT:-}
  if [ -z "$binary" ]; then binary=$(command -v rawsplit || echo "$here/../build/app/rawsplit"); fi
  if [ ! -x "$binary" ]; then
    echo "batch: no rawsplit binary (set RAWSPLIT, put rawsplit on the PATH or build it)" >&2
    exit 2
  fi
  absolute "$binary"
}

# check_options OPTION...: refuses the options that would make two jobs
# write the same file.
check_options() {
  local option
  for option in "$@"; do
    case $option in
      -u1*) echo "batch: -u1 names DAT files after the station, so jobs could clash; not allowed" >&2 ;;
      -s?*) echo "batch: $option names one summary file for every job; use -s alone" >&2 ;;
      -*) continue ;;
      *) echo "batch: $option: only options may follow OUTPUT_DIR" >&2 ;;
    esac
    exit 2
  done
}

# list_logs INPUT_DIR OUTPUT_DIR: every log under INPUT_DIR outside
# OUTPUT_DIR, absolute, sorted.
list_logs() {
  find "$1" -path "$2" -prune -o -type f \( -iname '*.r00' -o -iname '*.t00' -o -iname '*.t01' \
    -o -iname '*.t02' -o -iname '*.t04' \) -print | LC_ALL=C sort
}

# job_lines INPUT_DIR OUTPUT_DIR: for each log on standard input a line
# "input TAB output argument TAB log file". The output argument is the
# mirror folder (with "/"), or its subfolder named after the extension when
# another log of the folder has the same base name.
job_lines() {
  awk -v in_dir="$1" -v out_dir="$2" '
    {
      path[NR] = $0
      rel = substr($0, length(in_dir) + 2)
      dir[NR] = rel; sub(/[^\/]*$/, "", dir[NR])
      name[NR] = substr(rel, length(dir[NR]) + 1)
      base[NR] = name[NR]; sub(/\.[^.]*$/, "", base[NR])
      ext[NR] = substr(name[NR], length(base[NR]) + 2)
      seen[dir[NR] "/" base[NR]]++
    }
    END {
      for (i = 1; i <= NR; i++) {
        out = out_dir "/" dir[i]
        if (seen[dir[i] "/" base[i]] > 1) out = out ext[i] "/"
        printf "%s\t%s\t%s\n", path[i], out, out_dir "/" dir[i] name[i] ".log"
      }
    }'
}

# prepare INPUT_DIR OUTPUT_DIR [options]: writes OUTPUT_DIR/.batch/{jobs,
# options,rawsplit,input}. An existing job list is kept and new logs are
# appended, so that job numbers stay those of the job log when resuming.
prepare() {
  [ $# -ge 2 ] || usage
  local in_dir out_dir state
  in_dir=$(absolute "$1")
  out_dir=$(absolute "$2")
  shift 2
  [ -d "$in_dir" ] || { echo "batch: $in_dir is not a folder" >&2; exit 2; }
  check_options "$@"
  if [ $# -eq 0 ]; then set -- -deim; fi
  state=$out_dir/.batch
  mkdir -p "$state"
  if [ -f "$state/options" ] && [ "$(printf '%s\n' "$@")" != "$(cat "$state/options")" ]; then
    echo "batch: $out_dir was converted with other options ($(tr '\n' ' ' <"$state/options"))" >&2
    exit 2
  fi
  printf '%s\n' "$@" >"$state/options"
  printf '%s\n' "$in_dir" >"$state/input"
  find_rawsplit >"$state/rawsplit"
  touch "$state/jobs"
  list_logs "$in_dir" "$out_dir" | job_lines "$in_dir" "$out_dir" >"$state/jobs.found"
  awk -F '\t' 'FILENAME == ARGV[1] { known[$1] = 1; next } !($1 in known)' "$state/jobs" "$state/jobs.found" \
    >"$state/jobs.new"
  cat "$state/jobs.new" >>"$state/jobs"
  rm -f "$state/jobs.found" "$state/jobs.new"
}

# table OUTPUT_DIR: batch.csv from the job list and the job logs, and the
# tally on standard output. Returns 1 when a file failed or was not converted.
table() {
  local out_dir state
  out_dir=$(absolute "$1")
  state=$out_dir/.batch
  [ -f "$state/jobs" ] || { echo "batch: no job list in $out_dir" >&2; exit 2; }
  awk -F '\t' -v in_dir="$(cat "$state/input")" -v csv="$out_dir/batch.csv" '
    function quoted(s) { gsub(/"/, "\"\"", s); return "\"" s "\"" }
    BEGIN { print "input,exit status,status text,records,lost bytes,seconds" > csv }
    {
      status = ""; seconds = ""; records = 0; lost = 0; said = ""
      while ((getline line < $3) > 0) {
        if (line ~ /^batch: exit /) { split(line, w, " "); status = w[3]; seconds = w[5] }
        else if (sub(/^rawsplit:  records: /, "", line)) records = line
        else if (sub(/^rawsplit:  total lost bytes: /, "", line)) lost = line
        else if (sub(/^rawsplit:  error  : /, "", line)) said = line
        else if (line ~ /^rawsplit: .* \(status [0-9]+\)/) {
          sub(/^rawsplit: /, "", line); sub(/ \(status [0-9]+\).*$/, "", line); said = line
        }
      }
      close($3)
      if (status == "") { text = "not converted"; records = ""; lost = ""; missing++ }
      else if (status == 0) { text = "success"; good++ }
      else if (status == 32) { text = "quick summary printed"; good++ }
      else if (status == 29) { text = "errors were met but ignored or skipped"; tolerated++ }
      else if (status > 128) { text = "ended by signal " (status - 128); failed++ }
      else { text = said != "" ? said : "status " status; failed++ }
      print quoted(substr($1, length(in_dir) + 2)) "," status "," quoted(text) "," records "," \
        lost "," seconds > csv
    }
    END {
      printf "batch: %d files: %d converted, %d with errors ignored or skipped, %d failed, " \
        "%d not converted; table %s\n", NR, good, tolerated, failed, missing, csv
      exit (failed + missing > 0)
    }' "$state/jobs"
}

# run [--sshlogin LOGIN]... [--jobs N] INPUT_DIR OUTPUT_DIR [options]
run() {
  local parallel_args=() count out_dir
  while [ $# -gt 0 ]; do
    case $1 in
      --sshlogin | -S) parallel_args+=(--sshlogin "$2"); shift 2 ;;
      --jobs | -j) parallel_args+=(--jobs "$2"); shift 2 ;;
      *) break ;;
    esac
  done
  [ $# -ge 2 ] || usage
  command -v parallel >/dev/null || { echo "batch: GNU parallel is not installed" >&2; exit 2; }
  prepare "$@"
  out_dir=$(absolute "$2")
  count=$(wc -l <"$out_dir/.batch/jobs")
  if [ -t 2 ]; then parallel_args+=(--bar); fi
  # A job that fails is in the table; parallel's count of them is not needed.
  if [ "$count" -gt 0 ]; then
    seq 1 "$count" | parallel --joblog "$out_dir/.batch/joblog" --resume "${parallel_args[@]}" \
      "$here/batch-job.sh" "$out_dir/.batch" {} || true
  fi
  table "$out_dir"
}

case ${1:-} in
  --prepare) shift; prepare "$@" ;;
  --table) [ $# -eq 2 ] || usage; table "$2" ;;
  "" | -h | --help) usage ;;
  *) run "$@" ;;
esac
