#!/usr/bin/env bash
# Installs, builds and runs every test.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${VELD72_BUILD_DIR:-$ROOT/build}"
bash "$ROOT/tools/build.sh"
cd "$BUILD"
ctest --output-on-failure --timeout 600
