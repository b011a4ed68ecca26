#!/usr/bin/env bash
# Builds and runs the whole test suite under a sanitizer.
#   tools/sanitize.sh address     AddressSanitizer + UndefinedBehaviorSanitizer
#   tools/sanitize.sh thread      ThreadSanitizer
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
KIND="${1:-address}"
case "$KIND" in
  address) FLAGS="address,undefined"; BUILD="$ROOT/build-asan" ;;
  thread)  FLAGS="thread";            BUILD="$ROOT/build-tsan" ;;
  *) echo "usage: $0 address|thread" >&2; exit 2 ;;
esac
BUILD="${VELD72_SANITIZE_BUILD_DIR:-$BUILD}"

cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELD72_SANITIZE="$FLAGS" \
      -DVELD72_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build "$BUILD" -j"$(nproc)"

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$ROOT/tools/sanitizer-suppressions/lsan.txt"
export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:suppressions=$ROOT/tools/sanitizer-suppressions/tsan.txt"
cd "$BUILD"
status=0
ctest --output-on-failure --timeout 600 -E '^script\.' || status=1
# The script tests start the real app under Xvfb. JUCE loads the X11 client
# libraries at run time and unloads them at exit; their process-lifetime
# caches then show up as leaks from an unknown module that no suppression can
# name. Leak checking stays on for everything else; memory errors stay on here.
# Under ThreadSanitizer the real app starts several times slower than the
# scripts' window checks allow, so they run in the plain and ASan runs only;
# the threads they would exercise run in the suite above.
if [ "$KIND" = address ]; then
  ASAN_OPTIONS="$ASAN_OPTIONS:detect_leaks=0" ctest --output-on-failure --timeout 600 -R '^script\.' || status=1
fi
exit $status
