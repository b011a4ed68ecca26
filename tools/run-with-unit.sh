#!/usr/bin/env bash
# Starts VELD72 together with a virtual unit, each in a private network
# namespace of its own joined by a virtual cable, so that the discovery
# broadcast never leaves the machine; tears everything down when the app quits.
#
#   run-with-unit.sh BUILD_DIR [unit options...]
#
# The unit options (see veld72-unit --help) go to the virtual unit, for
# example --name "Hall" or --silent. Needs root (or sudo) and a display.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${1:-$ROOT/build}"
shift || true

fail() { echo "run-with-unit: $*" >&2; exit 1; }

APP=$(find "$BUILD" -type f -name VELD72 -perm -u+x -path '*VELD72_artefacts*' 2>/dev/null | head -1)
UNIT="$BUILD/tools/unit/veld72-unit"
[ -n "$APP" ] || fail "the app is not built under $BUILD (run tools/build.sh)"
[ -x "$UNIT" ] || fail "the virtual unit is not built under $BUILD (run tools/build.sh)"

if [ -z "${DISPLAY:-}" ]; then
  fail "VELD72 needs a display: DISPLAY is not set (run it in a desktop session, or under Xvfb)."
fi

if [ "$(id -u)" -eq 0 ]; then
  VELD72_SUDO=""
  AS_USER=()
elif command -v sudo >/dev/null 2>&1; then
  VELD72_SUDO="sudo"
  # The app and the unit run as you; only the namespaces need root.
  AS_USER=(setpriv "--reuid=$(id -u)" "--regid=$(id -g)" --init-groups)
else
  fail "creating the private network namespaces needs root: run this as root, or install sudo."
fi
command -v ip >/dev/null 2>&1 || fail "the ip command (Debian package iproute2) is missing."

PREFIX="${VELD72_NETNS_PREFIX:-veld72-$$}"
LOG="${TMPDIR:-/tmp}/veld72-unit-$$.log"
XAUTH="${XAUTHORITY:-$HOME/.Xauthority}"

# shellcheck source=unit/netns.sh
. "$ROOT/tools/unit/netns.sh"

cleanup() {
  trap - EXIT INT TERM
  veld72_net_delete "$PREFIX"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

veld72_net_create "$PREFIX" || fail "could not create the network namespace $PREFIX-app (is this a container without CAP_SYS_ADMIN?)"
veld72_net_add_unit "$PREFIX" 1 || fail "could not create the virtual unit's network namespace"

inside() {   # inside NAMESPACE COMMAND...: runs as you, in that namespace, with your display
  local ns="$1"; shift
  $VELD72_SUDO ip netns exec "$ns" "${AS_USER[@]}" env HOME="$HOME" DISPLAY="$DISPLAY" XAUTHORITY="$XAUTH" "$@"
}

if command -v xdpyinfo >/dev/null 2>&1 && ! inside "$PREFIX-app" xdpyinfo >/dev/null 2>&1; then
  fail "the display $DISPLAY cannot be reached from the private network namespace; a display over TCP (ssh -X) is not reachable there, use a local display or Xvfb."
fi

inside "$PREFIX-u1" "$UNIT" --verbose "$@" >"$LOG" 2>&1 &
for _ in $(seq 50); do grep -q ready "$LOG" 2>/dev/null && break; sleep 0.1; done
grep -q ready "$LOG" || { cat "$LOG" >&2; fail "the virtual unit did not start"; }

echo "VELD72 is starting with a virtual unit at 10.72.0.2 (its log: $LOG)."
echo "Click \"Connect\", then the address button 10.72.0.2 to select it."
set +e
inside "$PREFIX-app" "$APP"
STATUS=$?
set -e
exit "$STATUS"
