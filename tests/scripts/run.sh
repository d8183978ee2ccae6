#!/usr/bin/env bash
# Checks of the project's own scripts. Ends with "scripts: N passed, N failed".
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)
passed=0
failed=0
check() {
  local what=$1; shift
  if "$@"; then passed=$((passed + 1)); echo "  ok   $what"
  else failed=$((failed + 1)); echo "  FAIL $what"; fi
}

# Without what scripts/setup installs, the build names it in one line instead of failing in CMake.
empty=$(mktemp -d)
out=$(MEMORAIL_CACHE=$empty "$root/scripts/build" 2>&1)
rc=$?
rm -rf "$empty"
check "build before setup fails at once" test "$rc" -ne 0
check "and says in one line what is missing and that scripts/setup installs it" \
  test "$(echo "$out" | wc -l)" -eq 1 -a -n "$(echo "$out" | grep 'libjpeg.a' | grep 'scripts/setup')"

# The run command works the first time in a new Wine prefix without a display: the prefix is made
# without one, and the program's window must still appear on the virtual display.
fresh=$(mktemp -d)
rm -f "$root/artifacts/run-screenshot.png"
out=$(env -u DISPLAY MEMORAIL_WINEPREFIX="$fresh/prefix" "$root/scripts/run" 2>&1)
rc=$?
WINEPREFIX="$fresh/prefix" /usr/lib/wine/wineserver -k 2>/dev/null
rm -rf "$fresh"
check "scripts/run in a new prefix without a display starts the program the first time" \
  test "$rc" -eq 0 -a -s "$root/artifacts/run-screenshot.png"
check "and says what it waits for" test -n "$(echo "$out" | grep 'run: waiting for the Memorail window')"

echo "scripts: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
