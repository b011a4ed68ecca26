#!/usr/bin/env bash
# A typical measurement end to end, inside private network namespaces made
# here: the whole content component (without a window) finds and selects a
# virtual unit, switches "Measure ON", measures the five points, computes,
# applies a target curve and the crossovers. Both sides run 30 times faster
# than real time. The five point curves and the left and right results must
# be drawn in the response view; its pictures stay in BUILD/snapshots.
set -u
BUILD="$1"; SRC="$2"
UNIT="$BUILD/tools/unit/veld72-unit"
DRIVER="$BUILD/tools/unit/veld72-app-driver"
[ -x "$UNIT" ] && [ -x "$DRIVER" ] || { echo "veld72-unit or veld72-app-driver not built"; exit 1; }
SPEED=30

VELD72_SUDO=""
. "$SRC/tools/unit/netns.sh"
P="veld72-e2m-$$"
TMP=$(mktemp -d /tmp/veld72-e2e-XXXXXX)
cleanup() { veld72_net_delete "$P"; rm -rf "$TMP"; }
trap cleanup EXIT

veld72_net_create "$P" && veld72_net_add_unit "$P" 1 || { echo "cannot create network namespaces (needs root)"; exit 1; }

FAILED=0
fail() { echo "FAIL: $*"; FAILED=1; }
expect_line() {   # expect_line FILE LINE
  if grep -qxF "$2" "$1"; then echo "ok: $2"; else fail "no line '$2'"; fi
}

ip netns exec "$P-u1" timeout 120 "$UNIT" --verbose --name Hall --time-scale "$SPEED" >"$TMP/unit.log" 2>&1 &
for _ in $(seq 50); do grep -q ready "$TMP/unit.log" 2>/dev/null && break; sleep 0.1; done
grep -q ready "$TMP/unit.log" || { echo "the unit did not start:"; cat "$TMP/unit.log"; exit 1; }

# The driver has no window. With DISPLAY unset the framework would try ":0.0"
# and use whatever X server another program runs there; a display that
# cannot exist keeps it without one.
mkdir -p "$TMP/home"
HOME="$TMP/home" DISPLAY=":59999" ip netns exec "$P-app" timeout 120 "$DRIVER" measure --speed "$SPEED" --timeout-ms 20000 \
  --snapshots "$BUILD/snapshots" >"$TMP/app.txt" 2>&1
echo "--- app driver"; cat "$TMP/app.txt"; echo "---"

OUT="$TMP/app.txt"
expect_line "$OUT" "selected 10.72.0.2"
expect_line "$OUT" "unit name Hall"
expect_line "$OUT" "measure switch on"
expect_line "$OUT" "input level shown yes"
for k in 1 2 3 4 5; do expect_line "$OUT" "point $k drawn"; done
expect_line "$OUT" "results drawn"
expect_line "$OUT" "network down threshold 15"
expect_line "$OUT" "distinct point curves 5"
expect_line "$OUT" "prepared yes"
expect_line "$OUT" "alerts 0"
for k in 1 2 3 4 5 11 12; do expect_line "$OUT" "cache reveivefft$k.bin 5608"; done

# Every curve is drawn through most of its 700 points, inside the view.
for c in 1 2 3 4 5 L R; do
  line=$(grep "^curve $c " "$OUT")
  n=$(echo "$line" | awk '{print $4}')
  if [ -n "$n" ] && [ "$n" -ge 600 ] && echo "$line" | grep -q " inside$"; then echo "ok: $line"
  else fail "curve $c: '$line'"; fi
done

# The target curve comes back from the unit as it was sent.
SENT=$(grep "^curve sent " "$OUT" | cut -d' ' -f3-)
BACK=$(grep "^curve back " "$OUT" | cut -d' ' -f3-)
if [ -n "$SENT" ] && [ "$SENT" = "$BACK" ]; then echo "ok: the curve's points came back: $BACK"
else fail "curve sent '$SENT', back '$BACK'"; fi

# The snapshot shows the point curves (white is point 5) and both results.
read -r _ _ WHITE _ GREEN _ YELLOW < <(grep "^pixels " "$OUT")
if [ "${GREEN:-0}" -ge 300 ] && [ "${YELLOW:-0}" -ge 300 ] && [ "${WHITE:-0}" -ge 300 ]; then echo "ok: curves in the snapshot"
else fail "too few curve pixels in the snapshot: $(grep '^pixels ' "$OUT")"; fi
[ -s "$BUILD/snapshots/e2e-measurement-response-view.png" ] || fail "no snapshot of the response view"

# What the unit received, in the order of the workflow.
sequence() { grep -oE "^recv (MT 5 [01]|CR 1|MD [0-9]+|PN [0-9]|DP [0-9]+|AT [0-9]+|CP [0-9 ]+|FO [0-9]+|CM 2)" "$TMP/unit.log" | sed 's/^recv //' | tr '\n' ','; }
SEQ=$(sequence)
echo "unit received: $SEQ"
echo "$SEQ" | grep -qE "MT 5 1,CR 1,MD 83,.*PN 1,PN 2,PN 3,PN 4,PN 5,DP 4,AT 4,.*DP 6,AT 6,.*CP [0-9 ]+,.*FO [0-9]+,CM 2," \
  && echo "ok: Measure ON, five points, Compute, the curve, the crossovers" || fail "unexpected command order"
grep -q "^send MN 12 to 10.72.0.1:9002" "$TMP/unit.log" && echo "ok: the unit sent its results" || fail "no results sent"

if [ "$FAILED" -ne 0 ]; then echo "--- unit log (tail)"; tail -40 "$TMP/unit.log"; fi
exit "$FAILED"
