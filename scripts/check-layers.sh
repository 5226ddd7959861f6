#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks that no folder of the application includes a folder above it. Order, bottom first:
# runtime, state, params, link, display, ops, app, workbench. sim/ stands apart: it shares no
# code with the tool.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

layers=(runtime state params link display ops app workbench)
rank() {
  local i
  for i in "${!layers[@]}"; do [[ ${layers[$i]} == "$1" ]] && { echo "$i"; return; }; done
  echo -1
}

status=0
for folder in "${layers[@]}" sim; do
  [[ -d $folder ]] || continue
  own=$(rank "$folder")
  while IFS=: read -r file included; do
    dep=${included%%/*}
    [[ $dep == "$folder" ]] && continue
    if [[ $folder == sim || $dep == sim ]]; then
      echo "$file includes $included: sim/ and the tool share no code" >&2
      status=1
      continue
    fi
    dep_rank=$(rank "$dep")
    ((dep_rank < 0)) && continue
    if ((dep_rank > own)); then
      echo "$file includes $included: $folder/ must not include $dep/, a layer above it" >&2
      status=1
    fi
  done < <(grep -rHoE '^#include "[a-z_]+/[^"]+"' --include='*.h' --include='*.cpp' "$folder" |
           sed -E 's/:#include "(.*)"$/:\1/')
done
[[ $status -eq 0 ]] && echo "layers: every include points down"
exit $status
