#!/usr/bin/env bash
# Puts the sources of zlib, libpng and libjpeg into DEST/zlib, DEST/libpng and
# DEST/libjpeg for the Windows build, which compiles the image libraries itself:
# MinGW-w64 has no packages of them. The sources are Debian's own source
# packages of the installed development packages' versions, fetched with apt
# through a private list directory, so the machine's apt configuration is left
# as it is.
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

mkdir -p "$dest"
for entry in "${libraries[@]}"; do
  read -r source devpackage folder <<< "$entry"
  version=$(dpkg-query -W -f='${source:Version}' "$devpackage")
  # The installed version, or (when no mirror serves its source any more)
  # the others the mirrors list, newest first.
  versions=("$version" $(apt-cache "${apt_options[@]}" showsrc "$source" | sed -n 's/^Version: //p' |
                         sort -r -V | uniq))
  fetched=
  for candidate in "${versions[@]}"; do
    if (cd "$work/download" && apt-get "${apt_options[@]}" source --download-only "$source=$candidate") \
        2>/dev/null; then
      fetched=$candidate
      break
    fi
    rm -f "$work"/download/"${source}"_*
  done
  if [ -z "$fetched" ]; then
    echo "No source of $source could be fetched" >&2
    exit 1
  fi
  mkdir -p "$work/$folder"
  tar -xf "$work"/download/"${source}"_*.orig.tar.* -C "$work/$folder" --strip-components=1
  rm -rf "${dest:?}/$folder"
  mv "$work/$folder" "$dest/$folder"
done
