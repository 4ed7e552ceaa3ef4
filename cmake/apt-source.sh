# Sourced by the fetch-*-source scripts: fetching Debian source packages with
# apt through a private list directory, so the machine's apt configuration is
# left as it is. Needs $work, a scratch directory the caller removes.

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

# fetch_source SOURCE DEVPACKAGE: downloads SOURCE's source package into
# $work/download, in the version of the installed DEVPACKAGE or, when no
# mirror serves that one any more, the newest version a mirror does serve.
fetch_source() {
  local source=$1 devpackage=$2 version candidate
  version=$(dpkg-query -W -f='${source:Version}' "$devpackage")
  local versions=("$version" $(apt-cache "${apt_options[@]}" showsrc "$source" |
                               sed -n 's/^Version: //p' | sort -r -V | uniq))
  for candidate in "${versions[@]}"; do
    if (cd "$work/download" && apt-get "${apt_options[@]}" source --download-only \
          "$source=$candidate") 2>/dev/null; then
      return 0
    fi
    rm -f "$work"/download/"${source}"_*
  done
  echo "No source of $source could be fetched" >&2
  return 1
}
