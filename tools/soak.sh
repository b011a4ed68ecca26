#!/usr/bin/env bash
# The app's whole content and a virtual unit together for a long while, in
# private network namespaces made here: level reports, status polls,
# measurements, parameter saves and loads and curve files, over and over.
# Nothing may be lost, no alert may come, the meters and polls must keep up,
# and the resident size after the first minute must stay flat (within 10 %).
#
#   tools/soak.sh [seconds] [build-dir]      default 600 seconds, build/
#
# Needs root (or sudo) for the namespaces.
set -u
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
SECONDS_TO_RUN="${1:-600}"
BUILD="${2:-$ROOT/build}"
UNIT="$BUILD/tools/unit/veld72-unit"
DRIVER="$BUILD/tools/unit/veld72-app-driver"
[ -x "$UNIT" ] && [ -x "$DRIVER" ] || { echo "veld72-unit or veld72-app-driver not built in $BUILD"; exit 1; }
SPEED=30

VELD72_SUDO=""
[ "$(id -u)" -ne 0 ] && VELD72_SUDO="sudo"
. "$ROOT/tools/unit/netns.sh"
P="veld72-soak-$$"
TMP=$(mktemp -d /tmp/veld72-soak-XXXXXX)
cleanup() { veld72_net_delete "$P"; rm -rf "$TMP"; }
trap cleanup EXIT

veld72_net_create "$P" && veld72_net_add_unit "$P" 1 || { echo "cannot create network namespaces (needs root)"; exit 1; }

LIMIT=$(( SECONDS_TO_RUN + 120 ))
$VELD72_SUDO ip netns exec "$P-u1" timeout "$LIMIT" "$UNIT" --name Soak --time-scale "$SPEED" --level-rate 30 \
  >"$TMP/unit.log" 2>&1 &
for _ in $(seq 50); do grep -q ready "$TMP/unit.log" 2>/dev/null && break; sleep 0.1; done
grep -q ready "$TMP/unit.log" || { echo "the unit did not start:"; cat "$TMP/unit.log"; exit 1; }

# No window: a display that cannot exist keeps the framework from using one.
mkdir -p "$TMP/home"
$VELD72_SUDO env HOME="$TMP/home" DISPLAY=":59999" ip netns exec "$P-app" timeout "$LIMIT" \
  "$DRIVER" soak --seconds "$SECONDS_TO_RUN" --speed "$SPEED" --folder "$TMP/files" >"$TMP/app.txt" 2>&1
DRIVER_STATUS=$?
echo "--- app driver"; cat "$TMP/app.txt"; echo "---"

FAILED=0
fail() { echo "FAIL: $*"; FAILED=1; }
value() { grep "^$1 " "$TMP/app.txt" | tail -1 | awk -v n="$2" '{print $n}'; }

[ "$DRIVER_STATUS" -eq 0 ] || fail "the driver ended with status $DRIVER_STATUS"
[ "$(value lost 2)" = "0" ] || fail "something was lost"
[ "$(value alerts 2)" = "0" ] || fail "alerts came"
cycles=$(value cycles 2); [ "${cycles:-0}" -ge 1 ] || fail "no cycle completed"

# The meters follow the level reports: a 30 a second stream changes the
# meter at most looks (one every 20 ms or so of loop time).
changes=$(value meter 3); looks=$(value meter 5)
[ -n "$changes" ] && [ "$changes" -ge $(( looks / 10 )) ] || fail "the meters stopped following the level reports ($changes of $looks)"

# The status polls are answered most of the time. The unit itself is silent
# while it processes after "Compute" (a few seconds of each cycle at this
# speed), and a load holds the message thread for a moment, so some polls
# miss; the network-down alert (15 misses in a row), which counts as an alert
# above, is what a user would notice.
missed=$(value polls 3); looks=$(value polls 5)
[ -n "$missed" ] && [ "$missed" -le $(( looks / 2 )) ] || fail "status polls went mostly unanswered ($missed of $looks)"

# Memory: only meaningful without a sanitizer (whose quarantine grows) and
# over more than a couple of minutes.
growth=$(grep "^rss growth" "$TMP/app.txt" | awk '{print $7}')
if [ -n "$growth" ] && [ "${VELD72_SOAK_NO_MEMORY_CHECK:-0}" != "1" ] && [ "$SECONDS_TO_RUN" -ge 300 ]; then
  awk -v g="$growth" 'BEGIN { exit !(g <= 10.0) }' || fail "the resident size grew by $growth % after the first minute"
fi

[ "$FAILED" -eq 0 ] && echo "soak passed ($SECONDS_TO_RUN s, $cycles cycles)"
exit $FAILED
