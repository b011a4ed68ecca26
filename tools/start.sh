#!/usr/bin/env bash
# Installs, builds and starts VELD72 together with the virtual unit.
# Options after it go to the virtual unit (for example --name Hall, --silent).
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${VELD72_BUILD_DIR:-$ROOT/build}"
bash "$ROOT/tools/build.sh"
exec bash "$ROOT/tools/run-with-unit.sh" "$BUILD" "$@"
