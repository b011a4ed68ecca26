#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each for a bounded time over its seed
# corpus and its fixed regression inputs.
#   tools/fuzz.sh [seconds-per-target] [seed]      default 60 seconds, a random seed
# The test command runs it with a fixed seed, so that its short run retraces a
# prefix of what a longer run with that seed has already explored; the long
# runs take random seeds to find new inputs.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
SECONDS_PER_TARGET="${1:-60}"
SEED="${2:-0}"
BUILD="${VELD72_FUZZ_BUILD_DIR:-$ROOT/build-fuzz}"

CC=clang CXX=clang++ cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELD72_FUZZ=ON >/dev/null
cmake --build "$BUILD" -j"$(nproc)"

WORK=$(mktemp -d /tmp/veld72-fuzz-XXXXXX)
trap 'rm -rf "$WORK"' EXIT
# A private network namespace: a fuzzed datagram handler never reaches the network.
RUN=(env)
if unshare -n true 2>/dev/null; then RUN=(unshare -n); fi
mkdir -p "$ROOT/fuzz/regressions"
status=0
for fuzzer in "$BUILD"/fuzz/fuzz_*; do
  [ -x "$fuzzer" ] || continue
  name=$(basename "$fuzzer")
  corpus="$WORK/$name"
  mkdir -p "$corpus"
  seeds="$ROOT/fuzz/corpus/$name"
  [ -d "$seeds" ] && cp -r "$seeds"/. "$corpus"/ 2>/dev/null || true
  echo "fuzz: $name for ${SECONDS_PER_TARGET}s"
  if ! (cd "$WORK" && "${RUN[@]}" "$fuzzer" -max_total_time="$SECONDS_PER_TARGET" -seed="$SEED" -timeout=10 -rss_limit_mb=4096 \
          "$corpus" "$ROOT/fuzz/regressions") > "$WORK/$name.log" 2>&1; then
    echo "fuzz: $name FAILED"; tail -40 "$WORK/$name.log"; status=1
    mkdir -p "$ROOT/fuzz/findings"; cp "$WORK"/crash-* "$WORK"/timeout-* "$WORK"/leak-* "$ROOT/fuzz/findings/" 2>/dev/null || true
  else
    grep -E "Done [0-9]+ runs" "$WORK/$name.log" | tail -1 || true
  fi
done
exit $status
