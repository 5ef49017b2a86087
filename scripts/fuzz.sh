#!/usr/bin/env bash
# Runs every fuzz target of the checked build for SECONDS each (default 30) on a copy of its corpus
# in fuzz/corpus/, whose inputs (those that once crashed it among them) run first. New inputs
# worth keeping are left in build-checked/fuzz-corpus/ for review.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-30}"
for name in criteria template conversions filter_values connection_string; do
  corpus="build-checked/fuzz-corpus/$name"
  mkdir -p "$corpus"
  echo "fuzz: $name for ${seconds}s"
  "build-checked/bin/${name}_fuzz" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 -print_final_stats=1 \
    "$corpus" "fuzz/corpus/$name" 2>&1 | grep -E "^(stat::number_of_executed_units|stat::peak_rss_mb|==[0-9]+==ERROR|SUMMARY)" || true
  # A crash leaves its input behind and a non-zero status, which the pipe above hides.
  if ls crash-* leak-* timeout-* oom-* >/dev/null 2>&1; then
    echo "fuzz: $name found a failing input:" >&2
    ls crash-* leak-* timeout-* oom-* >&2
    exit 1
  fi
done
