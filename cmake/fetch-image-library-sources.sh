#!/usr/bin/env bash
# Puts the sources of zlib, libpng and libjpeg into DEST/zlib, DEST/libpng and
# DEST/libjpeg for the Windows build, which compiles the image libraries itself:
# MinGW-w64 has no packages of them. The sources are Debian's own source
# packages of the installed development packages' versions (see apt-source.sh).
set -euo pipefail

dest=${1:?usage: fetch-image-library-sources.sh DEST}
if [ -f "$dest/zlib/inflate.c" ] && [ -f "$dest/libpng/png.c" ] && [ -f "$dest/libjpeg/jdapimin.c" ]; then
  exit 0
fi

# source package, development package whose version to match, folder in DEST
libraries=(
  "zlib zlib1g-dev zlib"
  "libpng1.6 libpng-dev libpng"
  "libjpeg-turbo libjpeg62-turbo-dev libjpeg"
)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

source "$(dirname "$0")/apt-source.sh"

mkdir -p "$dest"
for entry in "${libraries[@]}"; do
  read -r source devpackage folder <<< "$entry"
  fetch_source "$source" "$devpackage"
  mkdir -p "$work/$folder"
  tar -xf "$work"/download/"${source}"_*.orig.tar.* -C "$work/$folder" --strip-components=1
  rm -rf "${dest:?}/$folder"
  mv "$work/$folder" "$dest/$folder"
done
