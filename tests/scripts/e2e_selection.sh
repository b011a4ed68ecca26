#!/usr/bin/env bash
# End to end, inside private network namespaces made here: the top bar finds
# and selects a virtual unit, which receives "SR" then "SL" and answers the
# status polls; a silent unit leads to "network down" after 15 missed polls.
# The status thread runs with short pauses (the top bar takes them from its
# constructor) so that this takes seconds, not half a minute.
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

veld72_net_create "$P" && veld72_net_add_unit "$P" 1 || { echo "cannot create network namespaces (needs root)"; exit 1; }

FAILED=0
expect_line() {   # expect_line FILE LINE
  if grep -qxF "$2" "$1"; then echo "ok: $2"; else echo "FAIL: no line '$2' in:"; sed 's/^/  /' "$1"; FAILED=1; fi
}

start_unit() {
  ip netns exec "$P-u1" timeout 120 "$UNIT" --verbose "$@" >"$TMP/unit.log" 2>&1 &
  for _ in $(seq 50); do grep -q ready "$TMP/unit.log" 2>/dev/null && return 0; sleep 0.1; done
  echo "the unit did not start:"; cat "$TMP/unit.log"; exit 1
}

stop_unit() {
  local pids; pids=$(ip netns pids "$P-u1")
  [ -n "$pids" ] && kill $pids 2>/dev/null
  for _ in $(seq 50); do [ -z "$(ip netns pids "$P-u1")" ] && return 0; sleep 0.1; done
}

session() {   # session OUTPUT [driver options]: discovery is retried, its window being milliseconds long
  local out="$1"; shift
  for _ in 1 2 3; do
    DISPLAY=":59999" ip netns exec "$P-app" timeout 60 "$DRIVER" session --select 1 "$@" >"$out" 2>&1
    grep -qx "selected 10.72.0.2" "$out" && return 0
  done
}

# An answering unit.
start_unit --name Hall
session "$TMP/answering.txt" --run-ms 1500 --pause-ms 50 --reply-ms 200
expect_line "$TMP/answering.txt" "button 1 10.72.0.2"
expect_line "$TMP/answering.txt" "selected 10.72.0.2"
expect_line "$TMP/answering.txt" "replied yes"
expect_line "$TMP/answering.txt" "icon 1 lightgreen"
expect_line "$TMP/answering.txt" "missed 0"
expect_line "$TMP/answering.txt" "label 1 Hall"
expect_line "$TMP/answering.txt" "alerts 0"

SR=$(grep -n "^recv SR from 10.72.0.1" "$TMP/unit.log" | head -1 | cut -d: -f1)
SL=$(grep -n "^recv SL from 10.72.0.1" "$TMP/unit.log" | head -1 | cut -d: -f1)
if [ -n "$SR" ] && [ -n "$SL" ] && [ $(( SL - SR )) -eq 1 ]; then echo "ok: the unit received SR then SL"
else echo "FAIL: SR then SL not received in a row:"; cat "$TMP/unit.log"; FAILED=1; fi

POLLS=$(grep -c "^recv NS from 10.72.0.1" "$TMP/unit.log")
OKS=$(grep -c "^send OK to 10.72.0.1:9002" "$TMP/unit.log")
if [ "$POLLS" -ge 3 ] && [ "$POLLS" -eq "$OKS" ]; then echo "ok: $POLLS polls, each answered"
else echo "FAIL: $POLLS polls, $OKS answers"; FAILED=1; fi
grep -q "^send GN 0 '10.72.0.2' to 10.72.0.1:9002" "$TMP/unit.log" && echo "ok: addressed reports carry the unit's address" \
  || { echo "FAIL: no addressed GN report"; FAILED=1; }
stop_unit

# A silent unit: found and selected, but no poll is answered.
start_unit --name Quiet --silent
session "$TMP/silent.txt" --run-ms 3000 --pause-ms 20 --reply-ms 50
expect_line "$TMP/silent.txt" "selected 10.72.0.2"
expect_line "$TMP/silent.txt" "alert the network down | the network down"
expect_line "$TMP/silent.txt" "network down after 15 missed polls"
expect_line "$TMP/silent.txt" "alerts 1"
expect_line "$TMP/silent.txt" "again 1"
expect_line "$TMP/silent.txt" "icon 1 white"
expect_line "$TMP/silent.txt" "label 1 Quiet"
grep -q "^send OK" "$TMP/unit.log" && { echo "FAIL: the silent unit answered a poll"; FAILED=1; }
stop_unit

exit "$FAILED"
