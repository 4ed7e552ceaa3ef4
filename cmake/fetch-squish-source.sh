#!/usr/bin/env bash
# Puts the libsquish sources into DEST for the Windows build, which compiles
# the DXT encoder itself: MinGW-w64 has no package of it. The source is
# Debian's own source package of the installed development package's version
# (see apt-source.sh).
set -euo pipefail

dest=${1:?usage: fetch-squish-source.sh DEST}
if [ -f "$dest/squish.cpp" ] && [ -f "$dest/squish.h" ]; then
  exit 0
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
source "$(dirname "$0")/apt-source.sh"
fetch_source libsquish libsquish-dev

mkdir -p "$work/squish"
tar -xf "$work"/download/libsquish_*.orig.tar.* -C "$work/squish"
# The archive holds the sources at its top or in one folder.
top=$(dirname "$(find "$work/squish" -name squish.cpp | head -n 1)")
rm -rf "$dest"
mkdir -p "$dest"
cp "$top"/*.cpp "$top"/*.h "$top"/*.inl "$dest"/
