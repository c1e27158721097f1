#!/bin/sh
# Puts the host's own command list between the scripting guide's markers:
#   docs/refresh-command-list.sh [path/to/velmora-zep]
set -eu
zep=${1:-build/bin/velmora-zep}
guide=$(dirname "$0")/scripting.md
list=$(mktemp)
trap 'rm -f "$list" "$list.md"' EXIT
"$zep" --command-table >"$list"
awk -v list="$list" '
  /^<!-- end of command list -->$/ { skipping = 0 }
  !skipping { print }
  /^<!-- command list: / { while ((getline line < list) > 0) print line; skipping = 1 }
' "$guide" >"$list.md"
cat "$list.md" >"$guide"
