#!/usr/bin/env bash
# Runs every fuzz target of the checked build for SECONDS each (default FUZZ_SECONDS, else 6) on a
# copy of its corpus in fuzz/corpus/, whose inputs (those that once crashed it among them) run
# first. New inputs worth keeping are left in build-checked/fuzz-corpus/ for review, each target's
# output in build-checked/fuzz-logs/, and an input that fails a target in build-checked/fuzz-artifacts/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-${FUZZ_SECONDS:-6}}"
mkdir -p build-checked/fuzz-logs build-checked/fuzz-artifacts
for name in criteria template conversions filter_values connection_string label_writers template_layout stock_file packed_text job_snapshot gs1 printer_status; do
  corpus="build-checked/fuzz-corpus/$name"
  log="build-checked/fuzz-logs/$name.log"
  mkdir -p "$corpus"
  echo "fuzz: $name for ${seconds}s"
  status=0
  "build-checked/bin/${name}_fuzz" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 -print_final_stats=1 \
    -artifact_prefix="build-checked/fuzz-artifacts/$name-" "$corpus" "fuzz/corpus/$name" >"$log" 2>&1 || status=$?
  # The coverage reached (cov: edges, ft: features), the runs and the memory they took.
  grep -aE "^(#[0-9]+[[:space:]]+DONE|stat::number_of_executed_units|stat::peak_rss_mb)" "$log" || true
  # A crash, a leak, a timeout, a check that aborted, or a target that did not run at all.
  if [ "$status" -ne 0 ]; then
    echo "fuzz: $name failed (status $status); the end of $log:" >&2
    tail -n 40 "$log" >&2
    ls build-checked/fuzz-artifacts/"$name"-* >&2 2>/dev/null || true
    exit 1
  fi
done
