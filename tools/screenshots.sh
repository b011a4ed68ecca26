#!/usr/bin/env bash
# Screenshots of the whole VELD72 window as a sound engineer sees it, with a
# virtual unit selected, rendered under a private Xvfb display:
#
#   window-start.png         the unit found and selected, its settings shown
#   window-measuring.png     measurement mode on, point 1 being measured
#   window-processed.png     five points measured and processed, a target
#                            curve applied: the measured curves
#   window-target-curve.png  the same moment, the target curve in front
#
#   screenshots.sh [BUILD_DIR] [OUT_DIR] [--scale 1|2] [--states "start measuring processed"]
#
# OUT_DIR defaults to docs/ of the repository. --scale 2 renders the window
# at a desktop scale of 2 (the desktop's scaling factor, which the app
# follows), into files named window-start-x2.png and so on. The processed state follows the app's own timing of a real
# measurement: five points of ten seconds and two processing phases of a
# minute, about three minutes in all. The app and the unit run in private
# network namespaces (as tools/run-with-unit.sh does), so this needs root or
# sudo; everything it starts is stopped when it ends.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

BUILD="$ROOT/build"
OUT="$ROOT/docs"
SCALE=1
STATES="start measuring processed"
positional=()
while [ $# -gt 0 ]; do
  case "$1" in
    --scale) SCALE="$2"; shift 2 ;;
    --states) STATES="$2"; shift 2 ;;
    -h|--help) sed -n '2,/^set /{/^set /d;s/^# \{0,1\}//;p}' "$0"; exit 0 ;;
    *) positional+=("$1"); shift ;;
  esac
done
[ ${#positional[@]} -ge 1 ] && BUILD="${positional[0]}"
[ ${#positional[@]} -ge 2 ] && OUT="${positional[1]}"

fail() {
  echo "screenshots: $*" >&2
  if [ -n "${WIN:-}" ]; then
    import -window root "${TMPDIR:-/tmp}/veld72-screenshots-failure.png" 2>/dev/null &&
      echo "screenshots: the screen at that moment: ${TMPDIR:-/tmp}/veld72-screenshots-failure.png" >&2
  fi
  exit 1
}
say() { echo "screenshots: $*"; }

case "$SCALE" in 1|2) ;; *) fail "--scale takes 1 or 2 (the desktop scales Linux offers in whole steps)";; esac
for tool in Xvfb xdotool import xdpyinfo xprop ip; do
  command -v "$tool" >/dev/null 2>&1 || fail "$tool is missing (tools/setup.sh installs it)"
done

if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null 2>&1 || fail "the private network namespaces need root: run this as root, or install sudo."
  exec sudo -E bash "$0" "$BUILD" "$OUT" --scale "$SCALE" --states "$STATES"
fi

APP=$(find "$BUILD" -type f -name VELD72 -perm -u+x -path '*VELD72_artefacts*' 2>/dev/null | head -1)
UNIT="$BUILD/tools/unit/veld72-unit"
[ -n "$APP" ] || fail "the app is not built under $BUILD (run tools/build.sh)"
[ -x "$UNIT" ] || fail "the virtual unit is not built under $BUILD (run tools/build.sh)"
mkdir -p "$OUT"
OUT="$(cd "$OUT" && pwd)"

TMP=$(mktemp -d /tmp/veld72-shots-XXXXXX)
chmod 755 "$TMP"
PREFIX="veld72-shots-$$"
VELD72_SUDO=""
# shellcheck source=unit/netns.sh
. "$ROOT/tools/unit/netns.sh"

cleanup() {
  trap - EXIT INT TERM
  veld72_net_delete "$PREFIX"
  [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null
  rm -rf "$TMP"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# A display of its own, large enough for the window at its scale. JUCE finds
# the desktop's scale through the X RandR extension, which it consults only
# when the root window carries a work area, and takes it from the GNOME
# scaling factor where gsettings answers, else from the display's dots per
# inch: both are set here, the first in a settings file of this run's own.
SCREEN_W=$(( 1024 * SCALE + 160 )); SCREEN_H=$(( 720 * SCALE + 160 ))
DISPLAY_NUM=$(( 600 + RANDOM % 300 ))
Xvfb ":$DISPLAY_NUM" -screen 0 "${SCREEN_W}x${SCREEN_H}x24" -dpi $(( 96 * SCALE )) -nolisten tcp -noreset >/dev/null 2>&1 &
XVFB_PID=$!
export DISPLAY=":$DISPLAY_NUM"
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
xdpyinfo >/dev/null 2>&1 || fail "Xvfb did not start"
xprop -root -f _NET_WORKAREA 32c -set _NET_WORKAREA "0, 0, $SCREEN_W, $SCREEN_H"

APP_ENV=(HOME="$TMP/home" DISPLAY="$DISPLAY" GSETTINGS_BACKEND=keyfile XDG_CONFIG_HOME="$TMP/home/.config")
mkdir -p "$TMP/home/.config"
if command -v gsettings >/dev/null 2>&1; then
  env "${APP_ENV[@]}" gsettings set org.gnome.desktop.interface scaling-factor "$SCALE" 2>/dev/null || true
fi

veld72_net_create "$PREFIX" || fail "could not create the network namespace $PREFIX-app"
veld72_net_add_unit "$PREFIX" 1 || fail "could not create the virtual unit's network namespace"

UNITLOG="$TMP/unit.log"
ip netns exec "$PREFIX-u1" timeout 900 "$UNIT" --verbose >"$UNITLOG" 2>&1 &
for _ in $(seq 50); do grep -q ready "$UNITLOG" 2>/dev/null && break; sleep 0.1; done
grep -q ready "$UNITLOG" || { cat "$UNITLOG" >&2; fail "the virtual unit did not start"; }

ip netns exec "$PREFIX-app" env "${APP_ENV[@]}" timeout 900 "$APP" >"$TMP/app.log" 2>&1 &

WIN=""
for _ in $(seq 100); do
  WIN=$(xdotool search --name "Polar Garnet acoustic phase calibration software" 2>/dev/null | head -1 || true)
  [ -n "$WIN" ] && break
  sleep 0.1
done
[ -n "$WIN" ] || { cat "$TMP/app.log" >&2; fail "the window did not appear"; }
sleep 1
eval "$(xdotool getwindowgeometry --shell "$WIN")"   # X, Y, WIDTH, HEIGHT of the whole window
[ "$WIDTH" -ge $(( 1024 * SCALE )) ] || fail "the window is $WIDTH pixels wide, not scaled by $SCALE"
# The content (1024 x 720 at scale 1) sits under the title bar, centred in the border.
LEFT=$(( (WIDTH - 1024 * SCALE) / 2 )); TOP=$(( HEIGHT - 720 * SCALE - LEFT ))
say "window $WIDTH x $HEIGHT at $X,$Y, scale $SCALE"

# Positions below are in the content's own pixels at scale 1.
at() { echo $(( LEFT + $1 * SCALE )) $(( TOP + $2 * SCALE )); }
click() { xdotool mousemove --window "$WIN" $(at "$1" "$2") click 1; sleep 0.3; }
double_click() { xdotool mousemove --window "$WIN" $(at "$1" "$2") click --repeat 2 --delay 80 1; sleep 0.3; }
drag() {   # drag X0 Y0 X1 Y1
  xdotool mousemove --window "$WIN" $(at "$1" "$2") mousedown 1
  for step in 1 2 3 4 5 6 7 8; do
    xdotool mousemove --window "$WIN" $(at $(( $1 + ($3 - $1) * step / 8 )) $(( $2 + ($4 - $2) * step / 8 ))); sleep 0.05
  done
  xdotool mouseup 1; sleep 0.3
}
colour() {   # colour X Y: the hex colour of the screen at a content position
  import -window root -crop "1x1+$(( X + LEFT + $1 * SCALE ))+$(( Y + TOP + $2 * SCALE ))" -depth 8 txt:- 2>/dev/null \
    | sed -n 's/.*#\([0-9A-Fa-f]\{6\}\).*/\1/p' | head -1
}
near() {   # near HEX HEX: within 12 per channel
  local a="$1" b="$2" i
  for i in 0 2 4; do
    local d=$(( 16#${a:$i:2} - 16#${b:$i:2} ))
    [ "${d#-}" -le 12 ] || return 1
  done
}
wait_colour() {   # wait_colour X Y HEX SECONDS WHAT
  local end=$(( SECONDS + $4 ))
  while [ "$SECONDS" -lt "$end" ]; do
    near "$(colour "$1" "$2")" "$3" && return 0
    sleep 0.5
  done
  fail "$5 did not happen within $4 seconds (the screen shows #$(colour "$1" "$2") at $1,$2)"
}
shot() {
  import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$OUT/$1"
  say "wrote $OUT/$1"
}
wants() { [[ " $STATES " == *" $1 "* ]]; }
SUFFIX=""
[ "$SCALE" -ne 1 ] && SUFFIX="-x$SCALE"

# Panels in the content: top bar (1, 1), input (1, 61), center (171, 61),
# measurement (1, 421); the curve editor at (196, 92) inside the center.
found=""
for _ in 1 2 3; do   # the discovery window is milliseconds long on a fast machine
  click 918 31
  sleep 1
  grep -q "send discovery reply" "$UNITLOG" && { found=yes; break; }
done
[ -n "$found" ] || fail "\"Connect\" did not find the virtual unit"
click 412 41
for _ in $(seq 60); do [ "$(grep -c '^send OK' "$UNITLOG")" -ge 1 ] && break; sleep 0.1; done
grep -q '^send OK' "$UNITLOG" || fail "the unit was not selected"
sleep 2
wants start && shot "window-start$SUFFIX.png"

wants measuring || wants processed || exit 0

click 35 76                                  # "Measure OFF" becomes "Measure ON"
POINT_DONE=0B5C18
click 21 471                                 # point 1
if wants measuring; then sleep 4; shot "window-measuring$SUFFIX.png"; fi
wants processed || exit 0

wait_colour 11 471 "$POINT_DONE" 20 "point 1"
for k in 2 3 4 5; do
  click $(( 21 + 35 * (k - 1) )) 471
  wait_colour $(( 11 + 35 * (k - 1) )) 471 "$POINT_DONE" 20 "point $k"
done

GREEN=008000 WHITE=FFFFFF
click 201 470                                # "Compute": sixty seconds of processing
wait_colour 215 499 "$WHITE" 5 "the start of the processing phase"
wait_colour 215 499 "$GREEN" 90 "the processing phase"
sleep 3                                      # the bar fills there shortly before the phase ends

click 241 76                                 # "Curve Design"
sleep 0.5
# A target curve: a lift of 3 dB around 70 Hz (a point added there), a cut of
# 4 dB around 3.3 kHz (the editor's second point, at 696, moved down). The
# flat line lies at y = 112 in the editor, 204 in the content.
double_click 330 204
drag 330 204 330 156
drag 696 204 696 268
click 834 372                                # "APPLY CURVE DESIGN": processing again
wait_colour 215 499 "$WHITE" 5 "the start of the processing phase after the curve"
wait_colour 215 499 "$GREEN" 90 "the processing phase after the curve"
sleep 3

click 436 76                                 # "Frequency Response & CrossOver"
sleep 1
shot "window-processed$SUFFIX.png"
click 241 76
sleep 1
shot "window-target-curve$SUFFIX.png"
