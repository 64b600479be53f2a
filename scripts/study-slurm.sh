#!/usr/bin/env bash
# A study on a Slurm cluster: one task of a job array per data set file, each calculating every
# disease and sex of its data set with the stored options and saving the results, each writing its
# own summary. Submit with one task per file (0-based), then join the summaries when all are done:
#
#   n=$(ls study/*.mdb | wc -l)
#   job=$(sbatch --parsable --array=0-$((n - 1)) scripts/study-slurm.sh study summaries)
#   sbatch --dependency=afterany:$job --wrap "awk 'FNR > 1 || NR == 1' summaries/*.csv > summary.csv"
#
# Arguments: the directory of data set files and the directory for the summaries. KAVREL_CLI names
# the command-line tool when it is not on the PATH; KAVREL_OPTIONS adds options to every batch (for
# example "--option FitMethod=1"). A task exits 1 when a disease of its data set failed (the others
# are saved and its summary says which); the summaries are written in either case.
#SBATCH --job-name=kavrel-study
#SBATCH --cpus-per-task=4
#SBATCH --time=01:00:00
set -euo pipefail
dir=${1:?"usage: study-slurm.sh DATASET-DIR SUMMARY-DIR"}
out=${2:?"usage: study-slurm.sh DATASET-DIR SUMMARY-DIR"}
cli=${KAVREL_CLI:-kavrel-cli}
task=${SLURM_ARRAY_TASK_ID:?"run as a Slurm job array (sbatch --array=...)"}
mapfile -t files < <(find "$dir" -maxdepth 1 -name '*.mdb' | sort)
if ((task >= ${#files[@]})); then
  echo "task $task: only ${#files[@]} data set files in $dir" >&2
  exit 2
fi
file=${files[$task]}
mkdir -p "$out"
# shellcheck disable=SC2086 # KAVREL_OPTIONS holds several words
exec "$cli" batch "$file" --save --threads "${SLURM_CPUS_PER_TASK:-1}" ${KAVREL_OPTIONS:-} \
  --summary "$out/$(basename "$file" .mdb).csv"
