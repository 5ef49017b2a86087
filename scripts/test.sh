#!/usr/bin/env bash
# Builds and runs the whole test suite (PostgreSQL tests start their own server).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/check-format.sh
bash scripts/check-layers.sh
bash scripts/build.sh
ctest --test-dir build --output-on-failure --parallel "$(nproc)" "$@"
