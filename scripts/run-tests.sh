#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the tool and runs the whole test suite headless. A PostgreSQL server from Debian's
# package runs for the tests of the shared service history: a cluster made in a temporary
# folder by a user without privileges, reached only through a Unix socket in that folder, and
# removed at the end. Where it cannot start, those tests say so and are skipped.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${RMOX_BUILD_DIR:-$ROOT/build}"
"$ROOT/scripts/setup.sh"
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"

source "$ROOT/scripts/test-postgres.sh"
trap stop_test_postgres EXIT
start_test_postgres || echo "PostgreSQL not started: the shared-history tests will be skipped" >&2

ctest --test-dir "$BUILD" --output-on-failure -j2
