#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the fuzz targets with clang and libFuzzer (build folder $RMOX_FUZZ_BUILD_DIR or
# ./build-fuzz), runs each for the given number of seconds, and merges what it found into
# fuzz/corpus/<name>, minimised. Crashes land in <build>/fuzz/artifacts; a crash makes the
# script fail after all targets have run.
# Usage: fuzz/run-fuzzers.sh [seconds, default 60] [target names, default all]
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${RMOX_FUZZ_BUILD_DIR:-$ROOT/build-fuzz}"
SECONDS_EACH="${1:-60}"
shift $(($# > 0 ? 1 : 0))
TARGETS=("$@")
((${#TARGETS[@]})) || TARGETS=(receive param_file panel_file session_file recording)

# Beyond the packages of the ordinary build (scripts/setup.sh): clang and its sanitizer and
# libFuzzer runtime, installed the same way.
"$ROOT/scripts/install-packages.sh" clang libclang-rt-14-dev

cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DCMAKE_CXX_COMPILER=clang++ -DRMOX_FUZZ=ON >/dev/null
cmake --build "$BUILD" --target "${TARGETS[@]/#/fuzz_}"

# Two frames per allocation and free: deeper, the frame-pointer walk runs into Qt's and the C
# library's code, built without frame pointers, and reads heap addresses off the stack as return
# addresses. Each such stack is new to AddressSanitizer's stack store, which never shrinks: at
# the default depth it grew by about 1 KB per input, towards libFuzzer's RSS limit within hours.
# Replay a crash with ASAN_OPTIONS=fast_unwind_on_malloc=0 for whole allocation stacks.
# A 64 MB quarantine of freed memory still holds all an input frees (the tool's own panel file,
# the largest, frees about 6 MB) ten times over. The default 256 MB, spread over the allocator's
# size classes, kept the panel target's RSS creeping up long after it had filled.
export ASAN_OPTIONS="detect_stack_use_after_return=1:check_initialization_order=1\
:malloc_context_size=2:quarantine_size_mb=64"
export LSAN_OPTIONS="suppressions=$ROOT/fuzz/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"

OUT="$BUILD/fuzz"
mkdir -p "$OUT/artifacts" "$OUT/logs"
failed=()
for name in "${TARGETS[@]}"; do
  fuzzer="$OUT/fuzz_$name"
  seeds="$ROOT/fuzz/seeds/$name"
  corpus="$ROOT/fuzz/corpus/$name"
  found="$OUT/found/$name"
  log="$OUT/logs/$name.log"
  mkdir -p "$corpus" "$found"
  dict=()
  [[ -f "$ROOT/fuzz/$name.dict" ]] && dict=(-dict="$ROOT/fuzz/$name.dict")

  echo "== fuzz_$name: ${SECONDS_EACH} s (log: $log)"
  if ! "$fuzzer" -max_total_time="$SECONDS_EACH" -timeout=10 -print_final_stats=1 \
       -artifact_prefix="$OUT/artifacts/$name-" "${dict[@]}" "$found" "$corpus" "$seeds" \
       >"$log" 2>&1; then
    failed+=("$name")
    grep -E '^(==[0-9]+==ERROR|SUMMARY|fuzz check failed|artifact_prefix)' "$log" || tail -n 20 "$log"
  fi
  grep -E '^(#[0-9]+[[:space:]]+DONE|stat::)' "$log" || true

  # Keep the smallest set of inputs that reaches every edge found; the seeds stay as they are.
  merged="$(mktemp -d)"
  "$fuzzer" -merge=1 -use_counters=0 -timeout=10 "${dict[@]}" "$merged" "$corpus" "$found" \
      >"$OUT/logs/$name-merge.log" 2>&1
  find "$corpus" -type f -delete
  mv "$merged"/* "$corpus"/ 2>/dev/null || true
  rmdir "$merged"
  echo "   corpus: $(find "$corpus" -type f | wc -l) files"
done

if ((${#failed[@]})); then
  echo "Crashes or broken checks in: ${failed[*]} (inputs in $OUT/artifacts)" >&2
  exit 1
fi
