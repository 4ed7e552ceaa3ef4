#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian machine. Idempotent:
# packages already present are not fetched again. With --fuzz, also what the
# fuzz build needs: clang with its sanitizer and libFuzzer runtimes, and the
# symbolizer that puts file names and lines into the fuzzers' stack traces;
# with --mutants, also ccache, which makes taking a planted fault back out of
# the tree cost nothing (scripts/mutants.py).
set -euo pipefail

packages=(
  cmake make g++ pkg-config
  libpng-dev libjpeg-dev zlib1g-dev
  libfreetype-dev libfontconfig-dev fontconfig fonts-liberation2
  libpugixml-dev
  libgtest-dev libgmock-dev libbenchmark-dev libsquish-dev libstb-dev
  locales python3
  g++-mingw-w64-x86-64 mingw-w64-x86-64-dev
  g++-mingw-w64-i686 mingw-w64-i686-dev
)
case "${1:-}" in
  --fuzz) packages+=(clang libclang-rt-dev llvm) ;;
  --mutants) packages+=(ccache) ;;
esac

mapfile -t missing < <(bash "$(dirname "$0")/missing-packages.sh" "${packages[@]}")

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -ne 0 ]; then
  SUDO=sudo
else
  SUDO=
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update
$SUDO apt-get install -y --no-install-recommends "${missing[@]}"
