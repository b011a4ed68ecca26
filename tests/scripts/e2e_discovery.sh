#!/usr/bin/env bash
# End to end, inside private network namespaces made here: the app's discovery
# finds no unit, one virtual unit, then two in the order in which they answer.
set -u
BUILD="$1"; SRC="$2"
UNIT="$BUILD/tools/unit/veld72-unit"
DRIVER="$BUILD/tools/unit/veld72-link-driver"
[ -x "$UNIT" ] && [ -x "$DRIVER" ] || { echo "veld72-unit or veld72-link-driver not built"; exit 1; }

VELD72_SUDO=""
. "$SRC/tools/unit/netns.sh"
P="veld72-e2e-$$"
TMP=$(mktemp -d /tmp/veld72-e2e-XXXXXX)
cleanup() { veld72_net_delete "$P"; rm -rf "$TMP"; }
trap cleanup EXIT

veld72_net_create "$P" && veld72_net_add_unit "$P" 1 && veld72_net_add_unit "$P" 2 \
  || { echo "cannot create network namespaces (needs root)"; exit 1; }

FAILED=0
check() {   # check NAME EXPECTED ACTUAL
  if [ "$2" = "$3" ]; then echo "ok: $1"; else echo "FAIL: $1"; echo "  expected: $2"; echo "  actual:   $3"; FAILED=1; fi
}

start_unit() {   # start_unit N [options...]
  local n="$1"; shift
  ip netns exec "$P-u$n" timeout 120 "$UNIT" --verbose "$@" >"$TMP/u$n.log" 2>&1 &
  for _ in $(seq 50); do grep -q ready "$TMP/u$n.log" 2>/dev/null && return 0; sleep 0.1; done
  echo "unit $n did not start:"; cat "$TMP/u$n.log"; exit 1
}

stop_units() {
  local pids
  for n in 1 2; do
    pids=$(ip netns pids "$P-u$n")
    [ -n "$pids" ] && kill $pids 2>/dev/null
  done
  for _ in $(seq 50); do
    [ -z "$(ip netns pids "$P-u1")$(ip netns pids "$P-u2")" ] && return 0
    sleep 0.1
  done
}

discover() { DISPLAY=":59999" ip netns exec "$P-app" timeout 30 "$DRIVER" discover | tr '\n' ';'; }

# The discovery window is 60000 polls, a few milliseconds on a fast machine:
# a unit that the shared CPU delays past it is missed, so a run is repeated
# (at most three times) before it counts as a failure.
discover_expecting() {   # discover_expecting NAME EXPECTED
  local out=""
  for _ in 1 2 3; do
    out=$(discover)
    [ "$out" = "$2" ] && break
  done
  check "$1" "$2" "$out"
}

check "no unit: nothing found, no alert" "found 0;" "$(discover)"

start_unit 1 --name One
discover_expecting "one unit" "found 1;unit 1 10.72.0.2;"
grep -q "recv GetIPAddr from 10.72.0.1:9001" "$TMP/u1.log" && echo "ok: request came from port 9001" \
  || { echo "FAIL: the unit's log shows no request from 10.72.0.1:9001"; FAILED=1; }

start_unit 2 --name Two --discovery-delay 3
discover_expecting "two units, first answer first" "found 2;unit 1 10.72.0.2;unit 2 10.72.0.3;"

stop_units
start_unit 1 --name One --discovery-delay 3
start_unit 2 --name Two
discover_expecting "two units, order of answer not of address" "found 2;unit 1 10.72.0.3;unit 2 10.72.0.2;"

# A unit that answers with another address text is listed by that text.
stop_units
start_unit 1 --address 192.0.2.20
discover_expecting "the reply's text counts, not the sender" "found 1;unit 1 192.0.2.20;"

stop_units
exit "$FAILED"
