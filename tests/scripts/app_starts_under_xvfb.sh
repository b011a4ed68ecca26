#!/usr/bin/env bash
# Starts the real application under Xvfb, checks the window's title and size,
# asks it to quit and requires a clean exit within a bounded time.
set -u
BUILD="$1"
APP=$(find "$BUILD" -type f -name VELD72 -perm -u+x -path '*VELD72_artefacts*' | head -1)
[ -x "$APP" ] || { echo "app binary not found under $BUILD"; exit 1; }

export HOME=$(mktemp -d /tmp/veld72-apptest-XXXXXX)
cleanup() {
  [ -n "${APP_PID:-}" ] && kill -9 "$APP_PID" 2>/dev/null
  [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null
  rm -rf "$HOME"
}
trap cleanup EXIT

DISPLAY_NUM=$(( 90 + RANDOM % 400 ))
Xvfb ":$DISPLAY_NUM" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
XVFB_PID=$!
export DISPLAY=":$DISPLAY_NUM"
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

# A private network namespace keeps the app's ports its own when we can have one.
RUN=()
if unshare -n true 2>/dev/null; then RUN=(unshare -n); fi
"${RUN[@]}" "$APP" &
APP_PID=$!

WIN=""
for _ in $(seq 100); do
  WIN=$(xdotool search --name "Polar Garnet acoustic phase calibration software" 2>/dev/null | head -1)
  [ -n "$WIN" ] && break
  sleep 0.1
done
[ -n "$WIN" ] || { echo "window did not appear"; exit 1; }

TITLE=$(xdotool getwindowname "$WIN")
[ "$TITLE" = " Polar Garnet acoustic phase calibration software" ] || { echo "wrong title: '$TITLE'"; exit 1; }
# The content is 1024 x 720; the framework's own title bar and border add to it.
eval "$(xdotool getwindowgeometry --shell "$WIN")"
echo "window $WIDTH x $HEIGHT"
[ "$WIDTH" -ge 1024 ] && [ "$WIDTH" -le 1040 ] || { echo "unexpected width $WIDTH"; exit 1; }
[ "$HEIGHT" -ge 720 ] && [ "$HEIGHT" -le 760 ] || { echo "unexpected height $HEIGHT"; exit 1; }
[ -d "$HOME/Music" ] || { echo "the Music folder was not created"; exit 1; }

kill -INT "$APP_PID"
for _ in $(seq 50); do kill -0 "$APP_PID" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$APP_PID" 2>/dev/null; then echo "app did not quit within 5 s"; exit 1; fi
wait "$APP_PID"; RC=$?
APP_PID=""
[ "$RC" -eq 0 ] || { echo "app exited with $RC"; exit 1; }
echo "app started and quit cleanly"
