#!/usr/bin/env bash
# Installs what running the Windows build needs on a Debian machine: Wine
# (its Direct3D 8 draws through OpenGL), a virtual X server and Mesa's
# software OpenGL. Idempotent. Exits non-zero, after saying why, where the
# packages cannot be installed; callers then fall back to the Linux build.
set -uo pipefail

packages=(wine wine64 xvfb libgl1-mesa-dri)

mapfile -t missing < <(bash "$(dirname "$0")/missing-packages.sh" "${packages[@]}")

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

if ! command -v apt-get >/dev/null 2>&1; then
  echo "install-wine: no apt-get on this machine; cannot install ${missing[*]}" >&2
  exit 1
fi
if [ "$(id -u)" -ne 0 ]; then
  if ! sudo -n true 2>/dev/null; then
    echo "install-wine: not root and no password-less sudo; cannot install ${missing[*]}" >&2
    exit 1
  fi
  SUDO=sudo
else
  SUDO=
fi

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
if ! $SUDO apt-get update >/dev/null || \
   ! $SUDO apt-get install -y --no-install-recommends "${missing[@]}"; then
  echo "install-wine: apt-get could not install ${missing[*]}" >&2
  exit 1
fi
