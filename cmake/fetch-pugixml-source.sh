#!/usr/bin/env bash
# Puts pugixml.cpp and its headers into DEST for the Windows build, which
# compiles the XML library itself: MinGW-w64 has no package of it, and Debian's
# development package holds no source. The source is Debian's own source
# package of the installed version (see apt-source.sh).
set -euo pipefail

dest=${1:?usage: fetch-pugixml-source.sh DEST}
if [ -f "$dest/pugixml.cpp" ]; then
  exit 0
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
source "$(dirname "$0")/apt-source.sh"
fetch_source pugixml libpugixml-dev

mkdir -p "$dest"
tar -xzf "$work"/download/pugixml_*.orig.tar.gz -C "$work" --wildcards '*/src/*'
cp "$work"/pugixml-*/src/pugixml.cpp "$work"/pugixml-*/src/pugixml.hpp \
   "$work"/pugixml-*/src/pugiconfig.hpp "$dest"/
