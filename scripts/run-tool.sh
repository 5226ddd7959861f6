#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the tool and runs it against the simulated sensor on port 1.
# To use a real sensor instead, run build/VidaREZezad11 directly (see README).
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${RMOX_BUILD_DIR:-$ROOT/build}"
"$ROOT/scripts/setup.sh"

LINK="${XDG_RUNTIME_DIR:-/tmp}/rmox-sim-$$"
"$BUILD/rmox-sensor-sim" --link "$LINK" >/dev/null &
SIM=$!
trap 'kill "$SIM" 2>/dev/null; wait "$SIM" 2>/dev/null || true' EXIT
for _ in $(seq 50); do [[ -e "$LINK" ]] && break; sleep 0.1; done
export RMOX_COM1="$LINK"

if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
  if command -v xvfb-run >/dev/null; then
    echo "No display: running under Xvfb (nothing will be visible)."
    exec_cmd=(xvfb-run -a "$BUILD/VidaREZezad11")
  else
    echo "No display found. Run this on a desktop session, or install Xvfb" >&2
    echo "(apt-get install xvfb xauth) and run it again." >&2
    exit 1
  fi
else
  exec_cmd=("$BUILD/VidaREZezad11")
fi
"${exec_cmd[@]}"
