#!/usr/bin/env bash
# Runs the tests of the parameter save's progress window, which needs a
# display, under Xvfb; they are skipped in the headless test run.
set -u
BUILD="$1"
SOURCE="$2"
TESTS=$(find "$BUILD" -type f -name veld72_tests -perm -u+x | head -1)
[ -x "$TESTS" ] || { echo "test binary not found under $BUILD"; exit 1; }
command -v Xvfb >/dev/null || { echo "Xvfb is not installed"; exit 1; }

cleanup() {
  [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null
}
trap cleanup EXIT

DISPLAY_NUM=$(( 90 + RANDOM % 400 ))
Xvfb ":$DISPLAY_NUM" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
XVFB_PID=$!
export DISPLAY=":$DISPLAY_NUM"
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
xdpyinfo >/dev/null 2>&1 || { echo "Xvfb did not start"; exit 1; }

OUT=$(timeout 60 bash "$SOURCE/tests/netns-run.sh" "$TESTS" --gtest_filter='SnapshotTask.Window*' 2>&1)
RC=$?
echo "$OUT"
[ "$RC" -eq 0 ] || { echo "tests failed ($RC)"; exit 1; }
if echo "$OUT" | grep -q "SKIPPED"; then echo "tests were skipped although a display was there"; exit 1; fi
echo "$OUT" | grep -q "PASSED.*2 tests" || { echo "the window tests did not run"; exit 1; }
