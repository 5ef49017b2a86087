#!/usr/bin/env bash
# Builds and runs the whole test suite in the checked build: clang with AddressSanitizer and
# UndefinedBehaviorSanitizer, warnings as errors, into build-checked/. Every test runs under the
# sanitizers (PostgreSQL tests start their own server), then every fuzz target runs for
# FUZZ_SECONDS each (default 6). Arguments go to ctest (e.g. -R cli_tests).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/check-format.sh
bash scripts/check-layers.sh
# Line tables are all a sanitizer's report needs, and build much faster than full debug information.
CC=clang CXX=clang++ cmake -S . -B build-checked -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O1 -gline-tables-only -DNDEBUG" \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -gline-tables-only -DNDEBUG" \
  -DCMAKE_UNITY_BUILD="${BRISKAL_UNITY:-ON}" -DBRISKAL_WERROR=ON \
  -DBRISKAL_SANITIZE=ON -DBRISKAL_FUZZ=ON >/dev/null
cmake --build build-checked --parallel "$(nproc)"
# Leaks reported inside the system's font and drawing libraries are their own caches.
export LSAN_OPTIONS="suppressions=$PWD/scripts/sanitizer-suppressions.txt:print_suppressions=0"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
# One test more than there are cores: many wait on child processes and servers.
ctest --test-dir build-checked --output-on-failure --parallel "${TEST_JOBS:-$(($(nproc) + 1))}" "$@"
bash scripts/fuzz.sh "${FUZZ_SECONDS:-6}"
