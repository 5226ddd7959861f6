#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the tool and its tests with AddressSanitizer and UndefinedBehaviorSanitizer
# (build folder $RMOX_ASAN_BUILD_DIR or ./build-asan) and runs the whole test suite there,
# the fuzz corpora included. Qt is not instrumented: leaks that its platform libraries keep
# until exit are suppressed by library (fuzz/lsan.supp); any undefined behaviour stops the
# test that hits it.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${RMOX_ASAN_BUILD_DIR:-$ROOT/build-asan}"

cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRMOX_SANITIZE=ON >/dev/null
cmake --build "$BUILD"

export ASAN_OPTIONS="detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1"
export LSAN_OPTIONS="suppressions=$ROOT/fuzz/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
ctest --test-dir "$BUILD" --output-on-failure -j2
