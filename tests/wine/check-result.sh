#!/usr/bin/env bash
# One check of the Wine suite, from what the fixture's run of the suite's
# program left (run-scenarios.sh):
#
#   check-result.sh OUTPUT_DIR SUITE.NAME
#
# Shows the check's part of the program's output and passes when GoogleTest
# reported it passed; skipped (77) where Wine could not run the program.
set -uo pipefail
output=$1
name=$2
if [ -f "$output/unavailable" ]; then
  cat "$output/unavailable"
  exit 77
fi
results="$output/results.txt"
if [ ! -f "$results" ]; then
  echo "No $results: the suite's program did not run."
  exit 1
fi
# Windows programs end their lines with CR LF.
tr -d '\r' < "$results" | awk -v name="$name" '
  $0 == "[ RUN      ] " name { shown = 1 }
  shown { print }
  shown && (index($0, "[       OK ] " name " (") == 1 || index($0, "[  FAILED  ] " name " (") == 1) { exit }'
tr -d '\r' < "$results" | grep -qF "[       OK ] $name (" || { echo "$name did not pass."; exit 1; }
