#!/usr/bin/env bash
# Print runs of every kind, end to end through the command line, on a fresh demo database: for
# each size (10,000 and 100,000 labels unless BENCH_SIZES says otherwise), standard text labels
# to PDF, PNG and their composed texts, customisable labels to PDF, PNG, EPL2 and ZPL. Prints
# one row a run: labels, seconds, labels a second and the process's peak memory.
#
#   bash bench/run.sh            builds the command line first (scripts/build.sh briskal)
#   BENCH_SIZES="10000" BENCH_OUTPUTS="pdf epl zpl" bash bench/run.sh
#
# PNG runs write a file a label into a temporary folder, removed after each run: 100,000 labels
# take a few gigabytes while they last.
set -euo pipefail
cd "$(dirname "$0")/.."
sizes=${BENCH_SIZES:-"10000 100000"}
outputs=" ${BENCH_OUTPUTS:-pdf png txt epl zpl} "
bash scripts/build.sh briskal >/dev/null
if [ ! -x /usr/bin/time ]; then
  echo "bench/run.sh: GNU time (/usr/bin/time) is needed for the peak memory" >&2
  exit 1
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
db="Data Source=$work/bench.db"
# 2,000 order lines, about half of them of work orders; every run prints labels for all the
# work-order lines, settled or not, as many a line as make up the size.
build/bin/briskal demo-db --db "$db" --orders 2000 --seed 1 >/dev/null 2>&1
# A label a line first, to count the lines.
lines=$(build/bin/briskal --db "$db" --yes print --settled --no-residual --basis custom --labels 1 \
  --label custom --out "$work/lines.epl" 2>&1 >/dev/null | tail -n 1 | sed -E 's/^sent ([0-9]+) label.*/\1/')

cpus=$(nproc)
model=$(sed -n 's/^model name\s*:\s*//p' /proc/cpuinfo | head -n 1)
echo "machine: $cpus cores, $model, $(awk '/MemTotal/ {printf "%.0f GB", $2 / 1048576}' /proc/meminfo)"
echo "order lines: $lines"
printf '%-8s %-5s %9s %9s %10s %9s\n' label out labels seconds labels/s "peak MB"

run() {  # label-type extension size
  local type=$1 ext=$2 size=$3
  local per=$(((size + lines - 1) / lines))
  local out="$work/out/labels.$ext"
  rm -rf "$work/out" && mkdir -p "$work/out"
  local stats="$work/time"
  local said
  said=$(/usr/bin/time -f '%e %M' -o "$stats" build/bin/briskal --db "$db" --yes print \
    --settled --no-residual --basis custom --labels "$per" --label "$type" --out "$out" 2>&1 >/dev/null |
    tail -n 1)
  local labels
  labels=$(sed -E 's/^[a-z ]*(sent|printed|wrote the texts of) ([0-9]+) label.*/\2/' <<<"$said")
  if ! [[ $labels =~ ^[0-9]+$ ]]; then
    echo "bench/run.sh: $type to .$ext failed: $said" >&2
    exit 1
  fi
  read -r seconds kb <"$stats"
  printf '%-8s %-5s %9d %9.2f %10.0f %9.0f\n' "$type" "$ext" "$labels" "$seconds" \
    "$(awk -v n="$labels" -v s="$seconds" 'BEGIN { print (s > 0 ? n / s : 0) }')" \
    "$(awk -v k="$kb" 'BEGIN { print k / 1024 }')"
}

for size in $sizes; do
  for ext in pdf png txt; do
    if [[ $outputs == *" $ext "* ]]; then run standard "$ext" "$size"; fi
  done
  for ext in pdf png epl zpl; do
    if [[ $outputs == *" $ext "* ]]; then run custom "$ext" "$size"; fi
  done
done
