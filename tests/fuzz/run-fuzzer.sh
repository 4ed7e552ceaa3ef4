#!/usr/bin/env bash
# Runs one fuzz target of a fuzz build tree.
#
#   run-fuzzer.sh BUILD_DIR TARGET SECONDS   fuzz for SECONDS, starting from the
#                                            seeds, the regression corpus and
#                                            what earlier runs found
#   run-fuzzer.sh BUILD_DIR TARGET replay    run every input of the regression
#                                            corpus (and the seeds) once
#
# TARGET is image, zar, material, markup or capture. Inputs that crash, leak or break
# an expectation are written to BUILD_DIR/tests/fuzz/artifacts/TARGET/; once
# the fault is fixed, such an input goes into regressions/TARGET/ here.
# FUZZ_JOBS runs that many fuzzing processes side by side (default 1);
# FUZZ_OPTIONS adds libFuzzer options (for example -use_value_profile=1).
set -euo pipefail

if [ $# -ne 3 ]; then
  echo "usage: run-fuzzer.sh BUILD_DIR image|zar|material|markup|capture SECONDS|replay" >&2
  exit 2
fi
build=$(cd "$1" && pwd)
target=$2
mode=$3
here=$(cd "$(dirname "$0")" && pwd)
fuzzer=$build/bin/fuzz_$target
seeds=$build/tests/fuzz/seeds
regressions=$here/regressions/$target

# Seeds, dictionary and largest input of each target. Image files of a few
# kilobytes reach every part of a decoder; longer inputs only slow the search.
dictionary=
case "$target" in
  image)    inputs=("$seeds/image");                      max_len=16384 ;;
  zar)      inputs=("$seeds/zar");                        max_len=8192 ;;
  material) inputs=("$seeds/material");                   max_len=4096
            dictionary=$here/markup.dict ;;
  markup)   inputs=("$seeds/markup" "$seeds/material");   max_len=4096
            dictionary=$here/markup.dict ;;
  capture)  inputs=("$seeds/capture");                    max_len=65536 ;;
  *) echo "run-fuzzer.sh: unknown target $target" >&2; exit 2 ;;
esac
if [ ! -x "$fuzzer" ]; then
  echo "run-fuzzer.sh: $fuzzer is not built" >&2
  exit 2
fi
[ -d "$regressions" ] && inputs+=("$regressions")

artifacts=$build/tests/fuzz/artifacts/$target
mkdir -p "$artifacts"
# A single allocation beyond the largest texture of the stand-in (16384 x
# 16384 x 4 bytes) fails; the process as a whole may use 2 GB. Options the
# caller sets (the tests' abort_on_error) come after, and win where they
# name the same option.
export ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1:max_allocation_size_mb=1536${ASAN_OPTIONS:+:$ASAN_OPTIONS}
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}
options=(-rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$artifacts/")
[ -n "$dictionary" ] && options+=(-dict="$dictionary")
# shellcheck disable=SC2206  # several options, split at blanks
options+=(${FUZZ_OPTIONS:-})

# The targets hand every input to the kernel's file system as a file in a
# scratch directory of their own: in memory where the machine has room for it,
# and removed here even when a target dies on an input.
scratch_base=/tmp
[ -d /dev/shm ] && [ -w /dev/shm ] && scratch_base=/dev/shm
TMPDIR=$(mktemp -d "$scratch_base/orvfuzz-run.XXXXXX")
export TMPDIR
trap 'rm -rf "$TMPDIR"' EXIT

if [ "$mode" = replay ]; then
  # Every file once and whole (libFuzzer takes up to 1 MB of each): the
  # regression corpus is the point, the seeds come along. Each is small, so
  # one that takes 30 seconds (the tests replay in the unoptimized sanitized
  # tree, where the deepest markup takes a few) or a single allocation of
  # 512 MB has found its fault again (files that cost as much as whole images
  # of the largest size).
  "$fuzzer" "${options[@]}" -malloc_limit_mb=512 -timeout=30 -runs=0 "${inputs[@]}"
  exit
fi

if ! [[ "$mode" =~ ^[0-9]+$ ]]; then
  echo "run-fuzzer.sh: SECONDS must be a number or replay" >&2
  exit 2
fi
# Valid images of the largest size may be made from small files (a run-length
# bitmap that ends at once): fuzzing stops only on more than that.
options+=(-malloc_limit_mb=1536 -timeout=60 -max_len="$max_len")
# New inputs collect in the tree's own corpus, so that runs build on each other.
corpus=$build/tests/fuzz/corpus/$target
mkdir -p "$corpus"
jobs=${FUZZ_JOBS:-1}
if [ "$jobs" -gt 1 ]; then
  options+=(-fork="$jobs")
fi
status=0
"$fuzzer" "${options[@]}" -max_total_time="$mode" "$corpus" "${inputs[@]}" || status=$?
if [ $status -ne 0 ]; then
  echo "run-fuzzer.sh: fuzz_$target found a fault; its input is in $artifacts/." >&2
  echo "Fix it, then keep the input in tests/fuzz/regressions/$target/." >&2
fi
exit $status
