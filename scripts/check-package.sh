#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package and checks it as the distribution's tools do: lintian on the .deb,
# appstreamcli on the metainfo (as packaged, and the source file with every release) and
# desktop-file-validate on the desktop entry. Prints their reports; fails when any of them
# reports an error or a warning. Lintian is slow, so the test suite does not run this.
# Build folder: $RMOX_BUILD_DIR or ./build.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${RMOX_BUILD_DIR:-$ROOT/build}"

"$ROOT/scripts/install-packages.sh" lintian appstream desktop-file-utils help2man
RMOX_BUILD_DIR="$BUILD" bash "$ROOT/scripts/setup.sh"
rm -f "$BUILD"/rmox-sensor-tool_*.deb
(cd "$BUILD" && cpack >/dev/null)
deb=$(echo "$BUILD"/rmox-sensor-tool_*.deb)
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
dpkg-deb -x "$deb" "$tree"

failed=()

echo "== lintian $(basename "$deb")"
lintian --fail-on error,warning --display-info --pedantic "$deb" || failed+=(lintian)

echo "== appstreamcli validate"
# --no-net: the screenshots are on a placeholder host that never resolves.
for metainfo in "$tree"/usr/share/metainfo/*.metainfo.xml \
                "$ROOT"/packaging/rmox-sensor-tool.metainfo.xml; do
  echo "-- ${metainfo#"$tree"}"
  appstreamcli validate --no-net --pedantic "$metainfo" || failed+=(appstreamcli)
done

echo "== desktop-file-validate"
for desktop in "$tree"/usr/share/applications/*.desktop; do
  echo "-- ${desktop#"$tree"}"
  report=$(desktop-file-validate "$desktop" 2>&1) && ! grep -qE "(error|warning):" <<<"$report" ||
    failed+=(desktop-file-validate)
  [[ -z $report ]] || echo "$report"
done

if ((${#failed[@]})); then
  echo "FAILED: ${failed[*]}" >&2
  exit 1
fi
echo "Package checks passed: $(basename "$deb")"
