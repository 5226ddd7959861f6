#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian packages the build needs (when missing), then configures and builds.
# Build folder: $RMOX_BUILD_DIR or ./build.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${RMOX_BUILD_DIR:-$ROOT/build}"
PACKAGES=(qt6-base-dev qt6-serialport-dev qt6-tools-dev libqt6opengl6-dev libxcb1-dev cmake
          ninja-build g++ ccache fonts-dejavu-core help2man libqcustomplot-dev poppler-utils
          xvfb libqt6sql6-sqlite libqt6sql6-psql postgresql)

"$ROOT/scripts/install-packages.sh" "${PACKAGES[@]}"

cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo ${RMOX_CMAKE_ARGS:-} >/dev/null
cmake --build "$BUILD"
