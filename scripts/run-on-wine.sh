#!/usr/bin/env bash
# Runs a program of the Windows build under Wine on a virtual X server of its
# own, in a private Wine prefix:
#
#   scripts/run-on-wine.sh PREFIX PROGRAM.exe [ARGUMENT...]
#   scripts/run-on-wine.sh --check FILE.exe|FILE.dll
#
# With --check nothing runs: it exits 0 where Wine can run programs of the
# file's architecture here, 77 with the reason where it cannot.
# PROGRAM may be a 64-bit (x64) or a 32-bit (x86) program; keep one PREFIX per
# architecture. Each program starts with Wine's loader for its own
# architecture, and so do the prefix's set-up and Wine server: a 64-bit run
# never goes through the 32-bit loader, which the plain `wine` command picks
# whenever Wine's 32-bit part is installed, even where the kernel cannot run
# it. PREFIX is made on first use (about 15 s) for the program's
# architecture (a 32-bit prefix for x86) and reused afterwards; a prefix made
# with another loader, for the other architecture, or before Wine's 32-bit
# part was installed, removed or found unable to run, is made again: Wine
# cannot start anything in it then ("could not load kernel32.dll, status
# c0000135"). Arguments that are absolute Linux paths reach the program as
# Windows paths on drive Z:. The X server (1024 x 768, 24-bit) is started on
# a free display and stopped by its process id, together with this prefix's
# Wine server. Exits with the program's status; 77 when Wine or Xvfb is
# missing, or, for a 32-bit program, Wine's 32-bit part or a kernel that
# runs 32-bit programs (scripts/runs-32bit.sh).
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)

if [ $# -lt 2 ]; then
  echo "usage: $0 PREFIX PROGRAM.exe [ARGUMENT...] | $0 --check FILE.exe|FILE.dll" >&2
  exit 2
fi
check_only=
[ "$1" = --check ] && check_only=1
prefix=$1
program=$2
shift 2

for tool in wineserver Xvfb; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "run-on-wine: $tool is not installed" >&2
    exit 77
  fi
done
if [ ! -f "$program" ]; then
  echo "run-on-wine: no $program" >&2
  exit 2
fi

# The program's machine, from its PE header: the file header follows the
# "PE\0\0" signature, whose offset is at 0x3C.
le_number() {  # le_number FILE OFFSET BYTES: an unsigned little-endian number
  od -An -tu"$3" -j "$2" -N "$3" --endian=little "$1" | tr -d ' '
}
pe_offset=$(le_number "$program" 60 4)
case $(le_number "$program" $((pe_offset + 4)) 2) in
  332) winearch=win32 ;;    # 0x014C, x86
  34404) winearch=win64 ;;  # 0x8664, x64
  *)
    echo "run-on-wine: $program is not an x86 or x64 Windows program" >&2
    exit 2
    ;;
esac

# Wine's loader for each architecture: Debian keeps both under /usr/lib/wine
# (`wine` is the 32-bit one there); a Wine with one loader for both has only
# `wine`.
loader_for() {  # loader_for win32|win64
  local name=wine
  [ "$1" = win64 ] && name=wine64
  for candidate in "/usr/lib/wine/$name" "$(command -v "$name" 2>/dev/null)"; do
    if [ -n "$candidate" ] && [ -x "$candidate" ]; then
      echo "$candidate"
      return 0
    fi
  done
  [ "$1" = win64 ] && loader_for win32
}

# Which parts of Wine can run here: 64 alone, or 32 and 64 where the kernel
# runs 32-bit programs and the 32-bit part is installed. The kernel is asked
# first: where it runs no 32-bit programs that is the reason, whether or not
# the packages are there, since no package can mend it. ORV_WINE32_PART
# (installed or missing) stands in for the package check, for the tests that
# stand for a machine with or without the 32-bit part.
source "$here/wine-packages.sh"
wine32_installed() {
  case ${ORV_WINE32_PART:-} in
    installed) return 0 ;;
    missing) return 1 ;;
  esac
  [ -z "$(bash "$here/missing-packages.sh" "${wine32_packages[@]}")" ]
}
wine_parts="64"
if ! why32=$(bash "$here/runs-32bit.sh" 2>&1); then
  :
elif ! wine32_installed; then
  why32="Wine's 32-bit part (${wine32_packages[*]}) is not installed (scripts/install-wine.sh)"
else
  wine_parts="32 64"
fi
if [ "$winearch" = win32 ] && [ "$wine_parts" = 64 ]; then
  echo "run-on-wine: $why32: $program cannot run" >&2
  exit 77
fi
loader=$(loader_for "$winearch")
if [ -z "$loader" ]; then
  echo "run-on-wine: Wine's loader for $winearch is not installed" >&2
  exit 77
fi
[ -n "$check_only" ] && exit 0
# Wine starts its own helper processes with this loader too.
export WINELOADER=$loader

mkdir -p "$(dirname "$prefix")"
export WINEPREFIX
WINEPREFIX=$(cd "$(dirname "$prefix")" && pwd)/$(basename "$prefix")
# The prefix's own architecture, whatever the caller's environment says.
unset WINEARCH
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

# What the prefix was made for, written into it once it is complete.
made_for="$winearch by $loader with Wine parts $wine_parts"
marker="$WINEPREFIX/orv-prefix.txt"
if [ -f "$WINEPREFIX/system.reg" ] && [ "$(cat "$marker" 2>/dev/null)" != "$made_for" ]; then
  echo "Making the Wine prefix $WINEPREFIX again: it was made for" \
       "$(cat "$marker" 2>/dev/null || echo "an unknown Wine"), now $made_for"
  wineserver -k >/dev/null 2>&1
  rm -rf "$WINEPREFIX"
fi
if [ ! -f "$marker" ]; then
  echo "Making the Wine prefix $WINEPREFIX ($winearch)"
  WINEARCH=$winearch "$loader" wineboot --init >/dev/null 2>&1
  wineserver -w
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "run-on-wine: Wine could not make the prefix $WINEPREFIX" >&2
    exit 1
  fi
  echo "$made_for" > "$marker"
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
(cd "$directory" && "$loader" "./$(basename "$program")" "${arguments[@]}")
