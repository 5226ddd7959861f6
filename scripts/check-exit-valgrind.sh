#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Ends the tool under valgrind the way that once read freed memory: on an X display, with the
# communication log window reopened from the last session and --log writing to a file whose
# final rows no longer fit (a file size limit set from outside). The program must end with
# exit code 0 and valgrind must find no error. Uses the build in $RMOX_BUILD_DIR or ./build.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${RMOX_BUILD_DIR:-$ROOT/build}"
"$ROOT/scripts/install-packages.sh" valgrind xvfb

WORK="$(mktemp -d)"
PIDS=()
trap 'kill "${PIDS[@]}" 2>/dev/null || true; rm -rf "$WORK"' EXIT

waitFor() { # seconds, then a command that must come true
  local limit=$1
  shift
  for _ in $(seq $((limit * 10))); do "$@" && return 0; sleep 0.1; done
  echo "check-exit-valgrind: gave up waiting for: $*" >&2
  exit 1
}

Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x800x24 3>"$WORK/display" 2>/dev/null &
PIDS+=("$!")
"$BUILD/rmox-sensor-sim" --link "$WORK/sensor" >/dev/null &
PIDS+=("$!")
waitFor 10 test -s "$WORK/display"
waitFor 10 test -e "$WORK/sensor"

export DISPLAY=":$(head -n1 "$WORK/display")" QT_QPA_PLATFORM=xcb XDG_CONFIG_HOME="$WORK/config"
mkdir -p "$XDG_CONFIG_HOME/rmox-sensor-tool"
printf '[Communication_log]\nopen=true\n' >"$XDG_CONFIG_HOME/rmox-sensor-tool/workbench.conf"

LOG="$WORK/session.log"
# valgrind's own report goes through a pipe, which the file size limit does not touch.
valgrind --error-exitcode=1 --suppressions="$ROOT/scripts/valgrind-qt.supp" --log-fd=9 \
  "$BUILD/VidaREZezad11" --port "1=$WORK/sensor" --log "$LOG" \
  2>"$WORK/stderr.txt" 9> >(cat >"$WORK/valgrind.txt") &
TOOL=$!
PIDS+=("$TOOL")
waitFor 180 grep -qs "Line Ok!" "$LOG"
# Start-up has settled when the log stops growing; the final write is then the one that fails.
size=-1
while [[ "$size" != "$(stat -c %s "$LOG")" ]]; do size=$(stat -c %s "$LOG"); sleep 2; done
prlimit --pid "$TOOL" --fsize="$size:unlimited"
kill -TERM "$TOOL"
status=0
wait "$TOOL" || status=$?

grep -q "cannot be written (File too large)" "$WORK/stderr.txt" ||
  { echo "check-exit-valgrind: the final write did not meet the full file" >&2; exit 1; }
if [[ $status -ne 0 ]]; then
  grep -v '^==[0-9]*== *$' "$WORK/valgrind.txt" >&2
  echo "check-exit-valgrind: the tool ended with $status under valgrind" >&2
  exit 1
fi
echo "check-exit-valgrind: the program's end is clean under valgrind"
