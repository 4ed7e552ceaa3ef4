#!/usr/bin/env bash
# Puts pugixml.cpp and its headers into DEST for the Windows build, which
# compiles the XML library itself: MinGW-w64 has no package of it, and Debian's
# development package holds no source. The source is Debian's own source
# package of the installed version, fetched with apt through a private list
# directory, so the machine's apt configuration is left as it is.
set -euo pipefail

dest=${1:?usage: fetch-pugixml-source.sh DEST}
if [ -f "$dest/pugixml.cpp" ]; then
  exit 0
fi

version=$(dpkg-query -W -f='${source:Version}' libpugixml-dev)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

mkdir -p "$work/sources" "$work/lists/partial" "$work/download"
# The machine's own mirrors, both list formats, turned into source lists.
for list in /etc/apt/sources.list.d/*.sources; do
  [ -e "$list" ] && sed 's/^Types: deb$/Types: deb-src/' "$list" > "$work/sources/$(basename "$list")"
done
for list in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
  [ -e "$list" ] && sed -n 's/^deb /deb-src /p' "$list" >> "$work/sources.list"
done
touch "$work/sources.list"
apt_options=(-o "Dir::Etc::SourceParts=$work/sources" -o "Dir::Etc::SourceList=$work/sources.list"
             -o "Dir::State::Lists=$work/lists" -o APT::Sandbox::User=root -qq)
apt-get "${apt_options[@]}" update
(cd "$work/download" && apt-get "${apt_options[@]}" source --download-only "pugixml=$version")

mkdir -p "$dest"
tar -xzf "$work"/download/pugixml_*.orig.tar.gz -C "$work" --wildcards '*/src/*'
cp "$work"/pugixml-*/src/pugixml.cpp "$work"/pugixml-*/src/pugixml.hpp \
   "$work"/pugixml-*/src/pugiconfig.hpp "$dest"/
