#!/usr/bin/env bash
# Configures and builds into build/ (binaries in build/bin/): the targets named, or everything.
# `bash scripts/build.sh briskal` builds only the command line and the component it loads.
set -euo pipefail
cd "$(dirname "$0")/.."
# BRISKAL_BENCHMARKS=OFF leaves the benchmarks out, as CI does.
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}" \
  -DBRISKAL_BENCHMARKS="${BRISKAL_BENCHMARKS:-ON}" >/dev/null
if [ $# -gt 0 ]; then
  cmake --build build --parallel "$(nproc)" --target "$@"
else
  cmake --build build --parallel "$(nproc)"
fi
