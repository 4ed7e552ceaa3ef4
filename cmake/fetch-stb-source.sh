#!/usr/bin/env bash
# Puts stb_dxt.h into DEST for the Windows build: MinGW-w64 has no package of
# it. The header is Debian's own source package of the installed development
# package's version (see apt-source.sh).
set -euo pipefail

dest=${1:?usage: fetch-stb-source.sh DEST}
if [ -f "$dest/stb_dxt.h" ]; then
  exit 0
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
source "$(dirname "$0")/apt-source.sh"
fetch_source libstb libstb-dev

mkdir -p "$work/stb"
tar -xf "$work"/download/libstb_*.orig.tar.* -C "$work/stb"
header=$(find "$work/stb" -name stb_dxt.h | head -n 1)
[ -n "$header" ]
rm -rf "$dest"
mkdir -p "$dest"
cp "$header" "$dest"/
