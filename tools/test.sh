#!/usr/bin/env bash
# Installs, builds and runs every test: the suite, the suite again under
# AddressSanitizer with UndefinedBehaviorSanitizer and under ThreadSanitizer,
# and each fuzz target for a bounded time.
#   VELD72_FUZZ_SECONDS   seconds per fuzz target (default 60)
#   VELD72_QUICK=1        the plain suite only
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${VELD72_BUILD_DIR:-$ROOT/build}"
bash "$ROOT/tools/build.sh"

status=0
(cd "$BUILD" && ctest --output-on-failure --timeout 600) || status=1

if [ "${VELD72_QUICK:-0}" != "1" ]; then
  bash "$ROOT/tools/sanitize.sh" address || status=1
  bash "$ROOT/tools/sanitize.sh" thread || status=1
  bash "$ROOT/tools/fuzz.sh" "${VELD72_FUZZ_SECONDS:-60}" 1 || status=1
fi

if [ "$status" -eq 0 ]; then echo "all test runs passed"; else echo "some test runs failed"; fi
exit $status
