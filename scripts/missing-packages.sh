#!/usr/bin/env bash
# Prints, one a line, those of the Debian packages named as arguments that
# are not installed.
set -uo pipefail
for package in "$@"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    echo "$package"
  fi
done
