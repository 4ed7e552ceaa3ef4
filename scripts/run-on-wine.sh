#!/usr/bin/env bash
# Runs a program of the Windows build under Wine on a virtual X server of its
# own, in a private Wine prefix:
#
#   scripts/run-on-wine.sh PREFIX PROGRAM.exe [ARGUMENT...]
#
# PREFIX is made on first use (about 15 s) and reused afterwards. Arguments
# that are absolute Linux paths reach the program as Windows paths on drive
# Z:. The X server (1024 x 768, 24-bit) is started on a free display and
# stopped by its process id, together with this prefix's Wine server. Exits
# with the program's status; 77 when Wine or Xvfb is missing.
set -uo pipefail

if [ $# -lt 2 ]; then
  echo "usage: $0 PREFIX PROGRAM.exe [ARGUMENT...]" >&2
  exit 2
fi
prefix=$1
program=$2
shift 2

for tool in wine wineserver Xvfb; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "run-on-wine: $tool is not installed" >&2
    exit 77
  fi
done

mkdir -p "$(dirname "$prefix")"
export WINEPREFIX
WINEPREFIX=$(cd "$(dirname "$prefix")" && pwd)/$(basename "$prefix")
# No prompts for the .NET and HTML runtimes, and a quiet console.
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEDEBUG=${WINEDEBUG:--all}
# Mesa's software OpenGL: there is no GPU under Xvfb.
export LIBGL_ALWAYS_SOFTWARE=1

xvfb_pid=
display_file=$(mktemp)
cleanup() {
  wineserver -k >/dev/null 2>&1
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null
    wait "$xvfb_pid" 2>/dev/null
  fi
  rm -f "$display_file"
}
trap cleanup EXIT

# Xvfb picks a free display and writes its number once it is ready.
exec 3>"$display_file"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
exec 3>&-
for _ in $(seq 100); do
  [ -s "$display_file" ] && break
  if ! kill -0 "$xvfb_pid" 2>/dev/null; then
    echo "run-on-wine: Xvfb did not start" >&2
    exit 1
  fi
  sleep 0.1
done
if [ ! -s "$display_file" ]; then
  echo "run-on-wine: Xvfb gave no display" >&2
  exit 1
fi
export DISPLAY=":$(head -n1 "$display_file")"

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "Making the Wine prefix $WINEPREFIX"
  wineboot --init >/dev/null 2>&1
  wineserver -w
fi

arguments=()
for argument in "$@"; do
  if [[ $argument == /* ]]; then
    arguments+=("Z:${argument//\//\\}")
  else
    arguments+=("$argument")
  fi
done

directory=$(cd "$(dirname "$program")" && pwd)
(cd "$directory" && wine "./$(basename "$program")" "${arguments[@]}")
