#!/usr/bin/env bash
# Runs clang-tidy with .clang-tidy's checks over the program's sources (src, hostkit, apps) and
# the project headers they include; fails on any finding. Needs build/compile_commands.json,
# which scripts/build.sh writes.
set -euo pipefail
cd "$(dirname "$0")/.."
log=$(mktemp)
trap 'rm -f "$log"' EXIT
if run-clang-tidy -p build -j "$(nproc)" -quiet "$PWD/(src|hostkit|apps)/" >"$log" 2>&1; then
  echo "clang-tidy: no findings"
else
  grep -E -A3 'error:' "$log" || cat "$log"
  echo "clang-tidy: findings above" >&2
  exit 1
fi
