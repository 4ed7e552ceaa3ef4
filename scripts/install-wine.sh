#!/usr/bin/env bash
# Installs what running the Windows build needs on a Debian machine: Wine
# (its Direct3D 8 draws through OpenGL), a virtual X server and Mesa's
# software OpenGL; then Wine's 32-bit part for the x86 build: the i386
# architecture, wine32 and Mesa's 32-bit OpenGL (without it Wine's 32-bit
# Direct3DCreate8 returns null). Idempotent.
#
# Where the kernel runs no 32-bit programs (scripts/runs-32bit.sh) the 32-bit
# part is not installed: it could not run, and with it installed Debian's
# `wine` command would start every program, 64-bit ones too, with the 32-bit
# loader. Where it is already installed on such a machine it is left as it
# is: run-on-wine.sh starts each program with its own architecture's loader.
#
# Exits non-zero, after saying why, where Wine itself cannot be installed;
# callers then fall back to the Linux build. Where only the 32-bit part
# cannot be installed it says so and exits 0: 32-bit programs are then
# skipped (run-on-wine.sh exits 77 for them). The packages are named in
# wine-packages.sh.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/wine-packages.sh"

mapfile -t missing < <(bash "$here/missing-packages.sh" "${wine_packages[@]}")
mapfile -t missing32 < <(bash "$here/missing-packages.sh" "${wine32_packages[@]}")
if ! why32=$(bash "$here/runs-32bit.sh" 2>&1); then
  echo "install-wine: $why32" >&2
  missing32=()
fi
if [ ${#missing[@]} -eq 0 ] && [ ${#missing32[@]} -eq 0 ]; then
  exit 0
fi

# can_install WHAT: true when packages can be installed here; else says why
# WHAT cannot be.
SUDO=
can_install() {
  if ! command -v apt-get >/dev/null 2>&1; then
    echo "install-wine: no apt-get on this machine; cannot install $*" >&2
    return 1
  fi
  if [ "$(id -u)" -ne 0 ]; then
    if ! sudo -n true 2>/dev/null; then
      echo "install-wine: not root and no password-less sudo; cannot install $*" >&2
      return 1
    fi
    SUDO=sudo
  fi
}

export DEBIAN_FRONTEND=noninteractive
updated=
# apt_install PACKAGE...: with the package lists brought up to date once.
apt_install() {
  echo "Installing: $*"
  if [ -z "$updated" ]; then
    $SUDO apt-get update >/dev/null || return 1
    updated=1
  fi
  $SUDO apt-get install -y --no-install-recommends "$@"
}

if [ ${#missing[@]} -ne 0 ]; then
  can_install "${missing[*]}" || exit 1
  if ! apt_install "${missing[@]}"; then
    echo "install-wine: apt-get could not install ${missing[*]}" >&2
    exit 1
  fi
fi

if [ ${#missing32[@]} -ne 0 ]; then
  part32="Wine's 32-bit part (${missing32[*]})"
  skipped="32-bit Windows programs (the x86 build) will not run here."
  if [ "$(dpkg --print-architecture 2>/dev/null)" != amd64 ]; then
    echo "install-wine: $part32 needs an amd64 machine: $skipped" >&2
    exit 0
  fi
  can_install "$part32" || { echo "install-wine: $skipped" >&2; exit 0; }
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    echo "Adding the i386 architecture"
    if ! $SUDO dpkg --add-architecture i386; then
      echo "install-wine: dpkg could not add the i386 architecture: $skipped" >&2
      exit 0
    fi
    updated=
  fi
  if ! apt_install "${missing32[@]}"; then
    echo "install-wine: apt-get could not install $part32: $skipped" >&2
    exit 0
  fi
fi
exit 0
