#!/usr/bin/env bash
# Configures and builds into build/ (binaries in build/bin/): the targets named, or everything.
# `bash scripts/build.sh briskal` builds only the command line and the component it loads, and
# needs neither GoogleTest nor Qt.
#
# Settings, from the environment: BUILD_TYPE (RelWithDebInfo), BRISKAL_BENCHMARKS (ON; CI leaves
# them out), BRISKAL_WERROR (OFF: warnings are errors in scripts/test.sh and CI, not for people who
# build the programs), BRISKAL_UNITY (ON: sources compiled in batches, which builds the whole tree
# in about half the time; OFF suits editing one file and rebuilding).
set -euo pipefail
cd "$(dirname "$0")/.."
options=(-DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}" -DBRISKAL_WERROR="${BRISKAL_WERROR:-OFF}"
  -DCMAKE_UNITY_BUILD="${BRISKAL_UNITY:-ON}")
if [ "$*" = briskal ]; then
  # Only what the command line needs, whatever the tree was configured with before.
  options+=(-DBRISKAL_TESTS=OFF -DBRISKAL_DESKTOP=OFF -DBRISKAL_BENCHMARKS=OFF)
else
  options+=(-DBRISKAL_TESTS=ON -DBRISKAL_DESKTOP=ON -DBRISKAL_BENCHMARKS="${BRISKAL_BENCHMARKS:-ON}")
fi
cmake -S . -B build -G Ninja "${options[@]}" >/dev/null
if [ $# -gt 0 ]; then
  cmake --build build --parallel "$(nproc)" --target "$@"
else
  cmake --build build --parallel "$(nproc)"
fi
