#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks that no folder of the application includes a folder above it. Order, bottom first:
# runtime, state, params, link, display, ops, app, workbench. sim/ stands apart: it shares no
# code with the tool. Inside workbench/: adapters, shared, the features, report, program; a
# feature never includes another feature (the report gathers from them all, the program builds
# them all). No workbench file includes the core's globals or control numbers.
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
wb_rank() {
  case $1 in
    adapters) echo 0 ;;
    shared) echo 1 ;;
    report) echo 3 ;;
    program) echo 4 ;;
    *) echo 2 ;;
  esac
}
while IFS=: read -r file included; do
  own=${file#workbench/}
  own=${own%%/*}
  dep=${included#workbench/}
  dep=${dep%%/*}
  [[ $dep == "$own" ]] && continue
  own_rank=$(wb_rank "$own")
  dep_rank=$(wb_rank "$dep")
  if ((dep_rank > own_rank)); then
    echo "$file includes $included: workbench/$own/ must not include workbench/$dep/, above it" >&2
    status=1
  elif ((dep_rank == 2 && own_rank == 2)); then
    echo "$file includes $included: a feature must not include another feature" >&2
    status=1
  fi
done < <(grep -rHoE '^#include "workbench/[a-z_]+/[^"]+"' --include='*.h' --include='*.cpp' workbench |
         sed -E 's/:#include "(.*)"$/:\1/')

# The workbench reads the tool through app/tool_api.h, never its globals or control numbers.
while IFS=: read -r file included; do
  echo "$file includes $included: the workbench reads the tool through app/tool_api.h" >&2
  status=1
done < <(grep -rHoE '^#include "state/(globals|panel_controls)\.h"' --include='*.h' --include='*.cpp' \
           workbench | sed -E 's/:#include "(.*)"$/:\1/')

[[ $status -eq 0 ]] && echo "layers: every include points down"
exit $status
