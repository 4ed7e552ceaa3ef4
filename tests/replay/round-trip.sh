#!/usr/bin/env bash
# The demo host's session on the stand-in runtime, recorded (ORVD3D_CAPTURE)
# with its Direct3D calls and presented frames, then replayed by orvreplay:
# the replay must give every recorded result, the same Direct3D calls in the
# same order, and the same pictures to the pixel.
#
#   round-trip.sh BIN_DIR OUTPUT_DIR
#
# Leaves OUTPUT_DIR/demo.orvcap and the replay's per-call journal
# (OUTPUT_DIR/replay/journal.txt) for planted-difference.sh.
set -uo pipefail
bin=$1
out=$2
frames=24

rm -rf "$out"
mkdir -p "$out"
fail() { echo "round trip: $*" >&2; exit 1; }

ORVD3D_CAPTURE="$out/demo.orvcap" "$bin/orvhost" --out "$out/live" --frames $frames \
  --save-frames 0-$((frames - 1)) --journal "$out/live/journal.txt" > "$out/live.txt" 2>&1 ||
  { cat "$out/live.txt"; fail "the demo host failed"; }
[ -s "$out/demo.orvcap" ] || fail "no capture written"

"$bin/orvreplay" "$out/demo.orvcap" --out "$out/replay" --tolerance 0 --against "$out/live/frames" \
  --against-journal "$out/live/journal.txt" --journal "$out/replay/journal.txt" > "$out/replay.txt" 2>&1
status=$?
cat "$out/replay.txt"
report="$out/replay/differences.txt"
[ -f "$report" ] || fail "no report"
# Each a line of the report that only a replay without a difference writes.
for expected in "^Replay: end," "^Results: every result equal" \
                "^Direct3D calls against .*: every call equal" \
                "^Frames against .*: all within, $frames compared"; do
  grep -q "$expected" "$report" || fail "the report lacks \"$expected\""
done
[ $status -eq 0 ] || fail "orvreplay exited with $status"
# One row a frame, and one after the last for the session's end.
rows=$(($(wc -l < "$out/replay/stats.csv") - 1))
[ $rows -eq $((frames + 1)) ] || fail "stats.csv has $rows rows for $frames frames"
exit 0
