#!/usr/bin/env bash
# The start command's last step, tools/run-with-unit.sh, under Xvfb: it says
# what is missing without a display or without root; with both, clicking
# "Connect" finds the virtual unit, clicking its address selects it (the unit
# receives "SR" then "SL" and answers the polls, the status icon is
# lightgreen), and quitting the app removes the namespaces.
set -u
BUILD="$1"; SRC="$2"
RUN="$SRC/tools/run-with-unit.sh"
TMP=$(mktemp -d /tmp/veld72-e2e-XXXXXX)
chmod 755 "$TMP"
PREFIX="veld72-e2e-$$"
export HOME="$TMP"

cleanup() {
  [ -n "${RUN_PID:-}" ] && kill "$RUN_PID" 2>/dev/null
  for ns in $(ip netns list | awk '{print $1}' | grep "^$PREFIX-"); do
    pids=$(ip netns pids "$ns"); [ -n "$pids" ] && kill $pids 2>/dev/null
  done
  sleep 0.3
  for ns in $(ip netns list | awk '{print $1}' | grep "^$PREFIX-"); do ip netns del "$ns"; done
  [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null
  rm -rf "$TMP"
}
trap cleanup EXIT

FAILED=0
ok() { echo "ok: $1"; }
bad() { echo "FAIL: $1"; FAILED=1; }

# What is missing is said plainly.
OUT=$(env -u DISPLAY bash "$RUN" "$BUILD" 2>&1); RC=$?
[ "$RC" -ne 0 ] && grep -q "needs a display" <<<"$OUT" && ok "without a display: $OUT" || bad "without a display: rc $RC, '$OUT'"

OUT=$(setpriv --reuid=65534 --regid=65534 --clear-groups env PATH=/usr/bin:/bin DISPLAY=:1 HOME="$TMP" bash "$RUN" "$BUILD" 2>&1); RC=$?
if command -v sudo >/dev/null 2>&1; then echo "skipped the check without root: sudo is installed"
else [ "$RC" -ne 0 ] && grep -q "needs root" <<<"$OUT" && ok "without root: $OUT" || bad "without root: rc $RC, '$OUT'"; fi

# The real thing under Xvfb.
DISPLAY_NUM=$(( 500 + RANDOM % 400 ))
Xvfb ":$DISPLAY_NUM" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
XVFB_PID=$!
export DISPLAY=":$DISPLAY_NUM"
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

VELD72_NETNS_PREFIX="$PREFIX" TMPDIR="$TMP" bash "$RUN" "$BUILD" --name Hall >"$TMP/run.log" 2>&1 &
RUN_PID=$!

WIN=""
for _ in $(seq 100); do
  WIN=$(xdotool search --name "Polar Garnet acoustic phase calibration software" 2>/dev/null | head -1)
  [ -n "$WIN" ] && break
  sleep 0.1
done
[ -n "$WIN" ] || { bad "the window did not appear"; cat "$TMP/run.log"; exit 1; }
ip netns list | grep -q "^$PREFIX-app" && ip netns list | grep -q "^$PREFIX-u1" && ok "namespaces made" || bad "namespaces missing"
UNITLOG=$(ls "$TMP"/veld72-unit-*.log | head -1)

# Content origin: the framework draws a title bar above the 1024 x 720 content.
eval "$(xdotool getwindowgeometry --shell "$WIN")"
LEFT=$(( (WIDTH - 1024) / 2 )); TOP=$(( HEIGHT - 720 - LEFT ))
click() { xdotool mousemove --window "$WIN" $(( LEFT + $1 )) $(( TOP + $2 )) click 1; }
greens() {   # lightgreen pixels in status icon 1 (top bar at 1,1; icon at 345,30, 20 x 20)
  import -window root -crop "20x20+$(( X + LEFT + 346 ))+$(( Y + TOP + 31 ))" txt:- 2>/dev/null \
    | awk -F'[(),]' 'NR > 1 { r = $3 + 0; g = $4 + 0; b = $5 + 0; if (g > 150 && g > r + 40 && g > b + 40) n++ } END { print n + 0 }'
}

[ "$(greens)" -eq 0 ] && ok "icon 1 white before selection" || bad "icon 1 green before selection"

for attempt in 1 2 3; do   # the discovery window is milliseconds long on a fast machine
  click $(( 1 + 877 + 40 )) $(( 1 + 15 + 15 ))
  sleep 1
  grep -q "recv GetIPAddr" "$UNITLOG" && grep -q "send discovery reply" "$UNITLOG" && break
done
grep -q "send discovery reply '10.72.0.2'" "$UNITLOG" && ok "Connect: the unit was asked and answered" || bad "no discovery reply"

click $(( 1 + 370 + 41 )) $(( 1 + 30 + 10 ))
for _ in $(seq 60); do [ "$(grep -c '^send OK' "$UNITLOG")" -ge 2 ] && break; sleep 0.1; done

grep -q "^recv SR" "$UNITLOG" && grep -A1 "^recv SR" "$UNITLOG" | grep -q "^recv SL" && ok "the unit received SR then SL" || bad "no SR then SL"
[ "$(grep -c '^send OK' "$UNITLOG")" -ge 2 ] && ok "polls answered" || bad "no polls answered"
N=$(greens)
[ "$N" -gt 20 ] && ok "icon 1 lightgreen ($N pixels)" || bad "icon 1 not lightgreen ($N pixels)"

# Quitting the app ends the script and removes the namespaces.
APP_PID=$(ip netns pids "$PREFIX-app" | head -1)
kill -INT $APP_PID
for _ in $(seq 100); do kill -0 "$RUN_PID" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$RUN_PID" 2>/dev/null; then bad "run-with-unit.sh did not end after the app quit"
else wait "$RUN_PID"; RC=$?; RUN_PID=""; [ "$RC" -eq 0 ] && ok "app quit cleanly" || bad "exit status $RC"; fi
[ -z "$(ip netns list | grep "^$PREFIX-")" ] && ok "namespaces removed" || bad "namespaces left: $(ip netns list | grep "^$PREFIX-")"

[ "$FAILED" -eq 0 ] || { echo "--- run log"; cat "$TMP/run.log"; echo "--- unit log"; cat "$UNITLOG"; }
exit "$FAILED"
