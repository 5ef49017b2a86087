#!/usr/bin/env bash
# Runs clang-tidy with .clang-tidy's checks over the program's sources (src, hostkit, apps) and
# the project headers they include; fails on any finding.
#
# The whole tree was last checked clean at the commit named in .tidy-clean, so by default only
# what may have changed since is checked: the sources changed since then (committed or not) and
# every source that includes, directly or through other headers, a header changed since then. A
# change to a .clang-tidy file checks everything. `--all` checks every source and, when it finds
# nothing, moves .tidy-clean to HEAD: a developer runs it and commits the file.
#
# The compile commands come from build-tidy/, configured here (no build) without unity batches or
# precompiled headers, so that each source has a command of its own.
set -euo pipefail
cd "$(dirname "$0")/.."
all=false
[ "${1:-}" = "--all" ] && all=true

cmake -S . -B build-tidy -G Ninja -DCMAKE_UNITY_BUILD=OFF -DCMAKE_DISABLE_PRECOMPILE_HEADERS=ON \
  -DBRISKAL_BENCHMARKS=OFF -DBRISKAL_TESTS=OFF >/dev/null

mapfile -t sources < <(git ls-files --cached --others --exclude-standard -- src hostkit apps | grep -E '\.(cpp|h)$')
base=$(cat .tidy-clean 2>/dev/null || true)
if ! $all && ! git cat-file -e "${base}^{commit}" 2>/dev/null; then
  echo "clang-tidy: the last clean commit (${base:-none}) is not in this clone; checking everything"
  all=true
fi

if $all; then
  chosen=("${sources[@]}")
else
  mapfile -t changed < <({ git diff --name-only "$base" --; git ls-files --others --exclude-standard; } | sort -u)
  if printf '%s\n' "${changed[@]}" | grep -qE '(^|/)\.clang-tidy$'; then
    chosen=("${sources[@]}")
  else
    chosen=()
    for file in "${changed[@]}"; do
      [[ " ${sources[*]} " == *" $file "* ]] && chosen+=("$file")
    done
    # Headers reach further than themselves: follow the includes until no new header is found.
    headers=$(printf '%s\n' "${chosen[@]}" | grep -E '\.h$' || true)
    while [ -n "$headers" ]; do
      pattern="#include \"([^\"]*/)?($(xargs -n1 basename <<<"$headers" | sed 's/\./\\./g' | paste -sd'|'))\""
      mapfile -t including < <(grep -lE "$pattern" "${sources[@]}" || true)
      headers=""
      for file in "${including[@]}"; do
        [[ " ${chosen[*]} " == *" $file "* ]] && continue
        chosen+=("$file")
        [[ "$file" == *.h ]] && headers+="$file"$'\n'
      done
      headers=${headers%$'\n'}
    done
  fi
fi

mapfile -t units < <(printf '%s\n' "${chosen[@]}" | grep -E '\.cpp$' || true)
if [ ${#units[@]} -eq 0 ]; then
  echo "clang-tidy: no source changed since the clean commit $base"
  exit 0
fi
echo "clang-tidy: ${#units[@]} of $(printf '%s\n' "${sources[@]}" | grep -cE '\.cpp$') sources"
log=$(mktemp)
trap 'rm -f "$log"' EXIT
if run-clang-tidy -p build-tidy -j "$(nproc)" -quiet "${units[@]/#/^$PWD/}" >"$log" 2>&1; then
  echo "clang-tidy: no findings"
  if $all; then
    git rev-parse HEAD >.tidy-clean
    echo "clang-tidy: .tidy-clean now names $(cat .tidy-clean); commit it"
  fi
else
  grep -E -A3 'error:' "$log" || cat "$log"
  echo "clang-tidy: findings above" >&2
  exit 1
fi
