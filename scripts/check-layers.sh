#!/usr/bin/env bash
# Checks that includes go one way: each folder includes only the folders below it, and no form
# includes another form; and that common and data keep no mutable state. Prints every include that breaks the rule; exits 1 if there is one.
set -euo pipefail
cd "$(dirname "$0")/.."

# folder: the folders its files may include (the project's own headers).
allowed=(
  "src/common:common"
  "src/data:common data"
  "src/host:common data host"
  "src/output:common data output"
  "src/layouts:common data host layouts"
  "src/labelrows:common data host output labelrows"
  "src/params:common data host labelrows layouts params"
  "src/component:common data host output labelrows layouts params component"
  "hostkit:common data host hostkit"
  "hostkit/designer:common data host hostkit output labelrows params"
  "apps/cli:common data hostkit commands output"
  "apps/desktop:common data hostkit"
)

status=0
for rule in "${allowed[@]}"; do
  folder=${rule%%:*}
  pattern="#include \"($(tr ' ' '|' <<<"${rule#*:}"))/"
  # A subfolder with a rule of its own answers to that rule only.
  own=()
  for other in "${allowed[@]}"; do
    sub=${other%%:*}
    if [[ $sub == "$folder"/* ]]; then own+=("--exclude-dir=${sub##*/}"); fi
  done
  while IFS= read -r hit; do
    echo "layer: $hit"
    status=1
  done < <(grep -rnE "${own[@]}" '^#include "[a-z_]+/' "$folder" | grep -vE ":[0-9]+:$pattern" || true)
done

# A form's header is included by its own sources (FORM.cpp, FORM_PART.cpp) and by the component,
# which makes the forms.
while IFS= read -r hit; do
  file=${hit%%:*}
  header=$(sed -E 's/.*"([^"]+)".*/\1/' <<<"${hit#*:*:}")
  source=$(basename "$file" .cpp)
  form=$(basename "$header" .h)
  [ "$source" = "$form" ] || [[ "$source" == "${form}_"* ]] && continue
  echo "form includes form: $hit"
  status=1
done < <(grep -rnE '^#include "[a-z_]+/frmpd_' src --include='*.h' --include='*.cpp' | grep -v '^src/component/' || true)

# The host and the component each link a copy of common and data and pass each other its objects:
# safe while those libraries keep no mutable state, so a function-local static must be const.
while IFS= read -r hit; do
  echo "state in a library both sides copy: $hit"
  status=1
done < <(grep -rnP '^\s*static\s+(?!const\b|constexpr\b)[^(]*[=;{]\s*$' src/common src/data || true)

exit $status
