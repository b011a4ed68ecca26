#!/usr/bin/env bash
# The report port 9002 already taken by another program: the "Connection
# error" alert names it and the app keeps running, both headless and as the
# real application under Xvfb.
set -u
BUILD="$1"; SRC="$2"
UNIT="$BUILD/tools/unit/veld72-unit"
DRIVER="$BUILD/tools/unit/veld72-link-driver"
APP=$(find "$BUILD" -type f -name VELD72 -perm -u+x -path '*VELD72_artefacts*' | head -1)
[ -x "$UNIT" ] && [ -x "$DRIVER" ] && [ -x "$APP" ] || { echo "programs not built"; exit 1; }

NS="veld72-e2e-$$-app"
TMP=$(mktemp -d /tmp/veld72-e2e-XXXXXX)
export HOME="$TMP"
cleanup() {
  [ -n "${APP_PID:-}" ] && kill -9 "$APP_PID" 2>/dev/null
  [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null
  local pids; pids=$(ip netns pids "$NS" 2>/dev/null)
  [ -n "$pids" ] && kill $pids 2>/dev/null
  for _ in $(seq 20); do [ -z "$(ip netns pids "$NS" 2>/dev/null)" ] && break; sleep 0.1; done
  wait 2>/dev/null
  ip netns del "$NS" 2>/dev/null
  rm -rf "$TMP"
}
trap cleanup EXIT

ip netns add "$NS" && ip -n "$NS" link set lo up || { echo "cannot create a network namespace (needs root)"; exit 1; }

# Another program holds 9002.
ip netns exec "$NS" timeout 120 "$UNIT" --command-port 9002 --discovery-port 12999 >"$TMP/holder.log" 2>&1 &
for _ in $(seq 50); do grep -q ready "$TMP/holder.log" && break; sleep 0.1; done
grep -q ready "$TMP/holder.log" || { echo "could not take port 9002"; cat "$TMP/holder.log"; exit 1; }

FAILED=0
OUT=$(DISPLAY=":59999" ip netns exec "$NS" timeout 30 "$DRIVER" receiver --run-ms 200)
echo "$OUT"
for line in "report port not bound" "alert Connection error | Error: could not connect to UDP port 9002." "still running"; do
  grep -qxF "$line" <<<"$OUT" || { echo "FAIL: missing '$line'"; FAILED=1; }
done

# The real application: the alert and the main window both appear.
DISPLAY_NUM=$(( 500 + RANDOM % 400 ))
Xvfb ":$DISPLAY_NUM" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
XVFB_PID=$!
export DISPLAY=":$DISPLAY_NUM"
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

ip netns exec "$NS" "$APP" &
APP_PID=$!

find_window() { xdotool search --name "$1" 2>/dev/null | head -1; }
ALERT=""; MAIN=""
for _ in $(seq 100); do
  ALERT=$(find_window "^Connection error$"); MAIN=$(find_window "Polar Garnet acoustic phase calibration software")
  [ -n "$ALERT" ] && [ -n "$MAIN" ] && break
  sleep 0.1
done
[ -n "$ALERT" ] && echo "ok: the Connection error alert is shown" || { echo "FAIL: no Connection error alert"; FAILED=1; }
[ -n "$MAIN" ] && echo "ok: the main window opened" || { echo "FAIL: no main window"; FAILED=1; }
kill -0 "$APP_PID" 2>/dev/null && echo "ok: the app is running" || { echo "FAIL: the app is gone"; FAILED=1; }

kill -INT "$APP_PID"
for _ in $(seq 50); do kill -0 "$APP_PID" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$APP_PID" 2>/dev/null; then echo "FAIL: the app did not quit within 5 s"; FAILED=1
else wait "$APP_PID"; RC=$?; APP_PID=""; [ "$RC" -eq 0 ] && echo "ok: clean exit" || { echo "FAIL: exit status $RC"; FAILED=1; }; fi

exit "$FAILED"
