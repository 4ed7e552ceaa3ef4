#!/usr/bin/env bash
# Answers whether this machine's kernel runs 32-bit x86 programs: exits 0
# when it does, 1 (after saying so on standard error) when it does not.
#
#   scripts/runs-32bit.sh
#
# Some 64-bit x86 kernels are built without 32-bit program support: every
# 32-bit program, Wine's 32-bit loader among them, then fails with "Exec
# format error". The probe needs no 32-bit package: it runs a minimal
# static 32-bit program (93 bytes: an ELF header, one loadable segment and
# the exit system call) written here. ORV_NO_32BIT=1 makes the answer no,
# for the tests that stand for such a machine.
set -uo pipefail

reason="this machine's kernel runs no 32-bit programs: of the x86 build only the libraries a host loads are built, and nothing runs"
no() {
  echo "$reason" >&2
  exit 1
}
[ "${ORV_NO_32BIT:-}" = 1 ] && no
case $(uname -m) in
  x86_64 | i?86) ;;
  *) no ;;
esac

here=$(cd "$(dirname "$0")" && pwd)
workdir=
trap '[ -n "$workdir" ] && rm -rf "$workdir"' EXIT

# write_probe FILE: the 32-bit program.
write_probe() {
  # ELF32 header: class 32-bit, little-endian, executable, i386, entry
  # 0x08048054, one program header at 0x34.
  printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00' > "$1"
  printf '\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00' >> "$1"
  printf '\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00' >> "$1"
  # The program header: the whole file loaded read+execute at 0x08048000.
  printf '\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08' >> "$1"
  printf '\x5d\x00\x00\x00\x5d\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00' >> "$1"
  # mov eax, 1 (exit); xor ebx, ebx (status 0); int 0x80
  printf '\xb8\x01\x00\x00\x00\x31\xdb\xcd\x80' >> "$1"
  chmod +x "$1"
}

# The temporary folder first; where it runs no programs at all (mounted
# noexec), the project's own folder, which the build runs programs from.
for parent in "${TMPDIR:-/tmp}" "$here/.."; do
  workdir=$(mktemp -d "$parent/.orv-probe32.XXXXXX" 2>/dev/null) || continue
  cp /bin/true "$workdir/true" 2>/dev/null
  if "$workdir/true" 2>/dev/null; then
    write_probe "$workdir/probe32"
    "$workdir/probe32" 2>/dev/null && exit 0
    no
  fi
  rm -rf "$workdir"
  workdir=
done
echo "runs-32bit: no folder here runs programs; cannot tell" >&2
exit 1
