#!/usr/bin/env bash
# The demo's capture (round-trip.sh's) replayed through a build of the
# plug-in whose source blend state reaches Direct3D as another state: the
# report must name, as the first difference, the first call whose Direct3D
# calls in the right build's replay set D3DRS_SRCBLEND (19).
#
#   planted-difference.sh BIN_DIR PLANTED_PLUGIN OUTPUT_DIR
set -uo pipefail
bin=$1
planted=$2
out=$3
fail() { echo "planted difference: $*" >&2; exit 1; }

journal="$out/replay/journal.txt"
[ -f "$journal" ] || fail "no journal of the right build's replay in $out (round-trip.sh)"
d3drs_srcblend=19
expected=$(awk -v state="IDirect3DDevice8::SetRenderState($d3drs_srcblend, " '
  /^# call / { call = $3 }
  index($0, state) == 1 { print call; exit }' "$journal")
[ -n "$expected" ] || fail "the right build never sets D3DRS_SRCBLEND"

"$bin/orvreplay" "$out/demo.orvcap" --plugin "$planted" --out "$out/planted" \
  --against-journal "$journal" > "$out/planted.txt" 2>&1
status=$?
cat "$out/planted.txt"
[ $status -eq 1 ] || fail "orvreplay exited with $status, not 1"
grep -q "^Direct3D calls against .*: first difference at call $expected " "$out/planted/differences.txt" ||
  fail "the first difference is not reported at call $expected"
exit 0
