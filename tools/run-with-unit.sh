#!/usr/bin/env bash
# Starts the app. The virtual unit and its private network joins this script
# once the unit exists.
set -euo pipefail
BUILD="$1"
APP=$(find "$BUILD" -type f -name VELD72 -perm -u+x -path '*VELD72_artefacts*' | head -1)
if [ -z "${DISPLAY:-}" ]; then
  echo "VELD72 needs a display: set DISPLAY (for example run it inside a desktop session, or under Xvfb)." >&2
  exit 1
fi
exec "$APP"
