#!/usr/bin/env bash
# The demo host's session on Wine (the Windows build), recorded with its
# presented frames, then replayed by the Windows build's orvreplay on Wine:
# every result as recorded, and every frame within TOLERANCE of the live
# run's.
#
#   replay-on-wine.sh WINDOWS_BUILD_DIR OUTPUT_DIR [TOLERANCE]
#
# Runs in a Wine prefix of its own (WINDOWS_BUILD_DIR/wineprefix-replay), so
# that it may run beside the suite's session. Where Wine cannot run the
# build it exits 77 (skipped); under CI that is a failure, except where the
# kernel runs no 32-bit programs.
set -uo pipefail
windows_build=$1
output=$2
tolerance=${3:-8}
frames=24
here=$(cd "$(dirname "$0")" && pwd)
fail() { echo "replay on Wine: $*" >&2; exit 1; }

rm -rf "$output"
mkdir -p "$output"
output=$(cd "$output" && pwd)
for program in orvhost orvreplay; do
  [ -f "$windows_build/bin/$program.exe" ] || fail "no $windows_build/bin/$program.exe: build the Windows side first (make windows)"
done
wine_run() {  # wine_run LOG PROGRAM [ARGUMENT...]: the program's status
  local log=$1
  shift
  bash "$here/../../scripts/run-on-wine.sh" "$windows_build/wineprefix-replay" "$@" > "$log" 2>&1
  local status=$?
  cat "$log"
  if [ $status -eq 77 ]; then
    echo "Wine cannot run $2 here: the replay on Wine is skipped." >&2
    if [ -n "${CI:-}" ] && ! grep -q "kernel runs no 32-bit programs" "$log"; then
      exit 1
    fi
    exit 77
  fi
  return $status
}

# The frames are read from the screen, and under Xvfb a read can now and then
# catch the screen while a present is still reaching it (the reads of one
# frame agree, and the picture is of no frame of the session). So where every
# result is equal and only frames differ, the session is recorded and
# replayed once more: a plug-in that draws differently on replay differs both
# times.
attempt() {  # attempt N: 0 when all is equal, 2 when only frames differ
  local run="$output/run-$1"
  mkdir -p "$run"
  ORVD3D_CAPTURE="$run/demo.orvcap" wine_run "$run/live.txt" "$windows_build/bin/orvhost.exe" \
    --out "$run/live" --frames $frames --save-frames 0-$((frames - 1)) || fail "the demo host failed"
  [ -s "$run/demo.orvcap" ] || fail "no capture written"
  wine_run "$run/replay.txt" "$windows_build/bin/orvreplay.exe" "$run/demo.orvcap" \
    --out "$run/replay" --against "$run/live/frames" --tolerance "$tolerance"
  local status=$?
  local report="$run/replay/differences.txt"
  [ -f "$report" ] || fail "orvreplay wrote no report (status $status)"
  for expected in "^Replay: end," "^Results: every result equal"; do
    tr -d '\r' < "$report" | grep -q "$expected" || fail "the report lacks \"$expected\""
  done
  if ! tr -d '\r' < "$report" | grep -q "^Frames against .*: all within, $frames compared"; then
    tr -d '\r' < "$report" | grep -v "largest difference 0," >&2
    return 2
  fi
  [ $status -eq 0 ] || fail "orvreplay exited with $status"
  return 0
}

attempt 1 && exit 0
echo "replay on Wine: frames differed in the first session (above); recording and replaying it again" >&2
attempt 2 || fail "frames differed again (see $output/run-2/replay/differences.txt)"
exit 0
