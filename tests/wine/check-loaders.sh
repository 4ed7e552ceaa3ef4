#!/usr/bin/env bash
# Checks that run-on-wine.sh starts each program with Wine's loader for its
# own architecture, on a machine made to look like one whose kernel runs no
# 32-bit programs, with Wine's 32-bit part installed or not:
#
#   check-loaders.sh X64_BUILD_DIR X86_BUILD_DIR WORK_DIR
#
# A `wine`, `wine-stable` and `wineboot` that fail as the 32-bit loader does
# there come first on PATH, and ORV_NO_32BIT=1 makes the probe say no. The
# x64 demo host must still start (it answers an unknown option with its
# usage line and status 2), in a prefix whose mark says it was made the old
# way (so it is made again); the x86 Wine suite must be skipped (status 77),
# even under CI, with the reason. Exits 77 where Wine or Xvfb is not installed.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
x64_build=$1
x86_build=$2
work=$3

for tool in wineserver Xvfb; do
  command -v "$tool" >/dev/null 2>&1 || { echo "$tool is not installed: skipped"; exit 77; }
done

failures=0
fail() {
  echo "FAILED: $*"
  failures=$((failures + 1))
}

rm -rf "$work/fake-bin"
mkdir -p "$work/fake-bin"
for name in wine wine-stable wineboot; do
  cat > "$work/fake-bin/$name" <<'EOF'
#!/bin/sh
echo "$0: /usr/lib/wine/wine: cannot execute binary file: Exec format error" >&2
exit 126
EOF
  chmod +x "$work/fake-bin/$name"
done
export PATH="$work/fake-bin:$PATH" ORV_NO_32BIT=1

# A prefix left from before: made through the 32-bit loader.
prefix="$work/prefix-x64"
rm -rf "$prefix"
mkdir -p "$prefix"
touch "$prefix/system.reg"
echo "win64 with Wine parts 32 64" > "$prefix/orv-prefix.txt"
bash "$here/../../scripts/run-on-wine.sh" "$prefix" "$x64_build/bin/orvhost.exe" --no-such-option \
  > "$work/x64.txt" 2>&1
status=$?
cat "$work/x64.txt"
[ $status -eq 2 ] || fail "the x64 program ended with $status, not its usage status 2"
grep -q "^usage: orvhost" "$work/x64.txt" || fail "the x64 program did not run"
grep -q "^Making the Wine prefix .* again" "$work/x64.txt" || fail "the old prefix was not made again"

# The x86 Wine suite under CI: skipped with the kernel's reason, not
# failed, since no package can mend the kernel; the same whether Wine's
# 32-bit part is installed (but cannot run) or was never installed.
for part in installed missing; do
  ORV_WINE32_PART=$part CI=true bash "$here/run-scenarios.sh" "$x86_build" "$work/x86-$part" \
    > "$work/x86-$part.txt" 2>&1
  status=$?
  cat "$work/x86-$part.txt"
  [ $status -eq 77 ] || fail "with the 32-bit part $part, the x86 suite ended with $status, not 77"
  grep -q "kernel runs no 32-bit programs" "$work/x86-$part/unavailable" ||
    fail "with the 32-bit part $part, the x86 suite's skip does not give the kernel's reason"
done

[ $failures -eq 0 ]
