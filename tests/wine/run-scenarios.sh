#!/usr/bin/env bash
# The Wine suite's fixture: runs the Windows build's program of checks under
# Wine, leaving each check's files in OUTPUT_DIR/SUITE.NAME and GoogleTest's
# report in OUTPUT_DIR/results.txt, which check-result.sh reads.
#
#   run-scenarios.sh WINDOWS_BUILD_DIR OUTPUT_DIR [EXAMPLES_DIR]
#
# EXAMPLES_DIR (the Linux build's example materials and their textures) is
# copied to OUTPUT_DIR/examples, where the texture checks load them. A check
# that fails fails its own entry: this one fails only when the program did
# not run to its end.
#
# Where Wine cannot run the program (Wine is not installed, or not its 32-bit
# part for the x86 build, or the kernel runs no 32-bit programs) it leaves
# OUTPUT_DIR/unavailable, so that the checks skip, and exits 77 (skipped).
# Under CI that is a failure, except where the kernel runs no 32-bit
# programs: no package can mend that.
set -uo pipefail
windows_build=$1
output=$2
here=$(cd "$(dirname "$0")" && pwd)

rm -rf "$output"
mkdir -p "$output"
examples=${3:-}
if [ -n "$examples" ]; then
  if [ ! -f "$examples/stone.xml" ]; then
    echo "No example materials in $examples: build the Linux side first." >&2
    exit 1
  fi
  cp -r "$examples" "$output/examples"
fi
program="$windows_build/bin/wine_scenarios.exe"
plugin="$windows_build/bin/ORVD3D.dll"
# Wine's messages are kept, and passed on: why it cannot run the program
# here (exit 77) goes into OUTPUT_DIR/unavailable too. Where Wine cannot run
# the build's architecture the build made the libraries alone: the plug-in
# tells the architecture then.
if [ -f "$program" ]; then
  bash "$here/../../scripts/run-on-wine.sh" "$windows_build/wineprefix" "$program" \
    --out "$(cd "$output" && pwd)" 2> "$output/wine-errors.txt" | tee "$output/results.txt"
  status=${PIPESTATUS[0]}
elif [ -f "$plugin" ] && ! bash "$here/../../scripts/run-on-wine.sh" --check "$plugin" 2> "$output/wine-errors.txt"; then
  status=77
else
  echo "No $program: build the Windows side first (make windows)." >&2
  exit 1
fi
cat "$output/wine-errors.txt" >&2
if [ $status -eq 77 ]; then
  { echo "Wine cannot run the programs of $windows_build here: the Wine suite for this build is skipped."
    grep '^run-on-wine:' "$output/wine-errors.txt"; } > "$output/unavailable"
  cat "$output/unavailable" >&2
  if [ -n "${CI:-}" ] && ! grep -q "kernel runs no 32-bit programs" "$output/unavailable"; then
    exit 1
  fi
  exit 77
fi
if [ $status -eq 1 ] && tr -d '\r' < "$output/results.txt" | grep -q '^\[==========\] .* ran\.'; then
  exit 0
fi
exit $status
