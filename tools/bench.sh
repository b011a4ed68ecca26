#!/usr/bin/env bash
# Builds the benchmarks and the bench programs, runs them, and prints for each
# our figure, the peer's measured in the same run, and the ratio.
#
#   tools/bench.sh [--quick] [--long] [--only SECTION]...
#
# Sections: micro (Google Benchmark: level reports against liblo, command
# encoding against liblo, the fft thread, parameter files against pugixml),
# startup (start-up to the first painted frame and quit, against a bare JUCE
# window), latency (report to repainted meter, at the normal rate and in a
# tenfold flood), idle (the real app with a virtual unit sending 30 level
# reports a second: CPU and what it repaints), memory (--long only: resident
# size after one and after ten minutes of level reports).
#
# --quick shortens every run (figures get noisier). Everything runs under
# Xvfb and in private network namespaces made here; needs root (or sudo) for
# the namespaces. Nothing here is a test: no figure fails the build.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${VELD72_BUILD_DIR:-$ROOT/build}"

QUICK=0 LONG=0 ONLY=()
while [ $# -gt 0 ]; do
  case "$1" in
    --quick) QUICK=1 ;;
    --long)  LONG=1 ;;
    --only)  ONLY+=("$2"); shift ;;
    *) echo "usage: $0 [--quick] [--long] [--only micro|startup|latency|idle|memory]..." >&2; exit 2 ;;
  esac
  shift
done
wanted() {
  if [ ${#ONLY[@]} -gt 0 ]; then
    local s; for s in "${ONLY[@]}"; do [ "$s" = "$1" ] && return 0; done; return 1
  fi
  [ "$1" != memory ] || [ "$LONG" -eq 1 ]
}

if [ "$(id -u)" -eq 0 ]; then VELD72_SUDO=""; elif command -v sudo >/dev/null; then VELD72_SUDO="sudo"; else
  echo "bench: private network namespaces need root (or sudo)" >&2; exit 1
fi

# ---------------------------------------------------------------------------
echo "== building"
bash "$ROOT/tools/setup.sh"
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$ROOT}" CCACHE_NOHASHDIR=1
cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD" -j2 --target VELD72 veld72-unit veld72_bench veld72-startup-probe veld72-damage-watch \
      veld72-empty-window veld72-meter-latency veld72-level-sender >/dev/null

APP=$(find "$BUILD" -type f -name VELD72 -perm -u+x -path '*VELD72_artefacts*' | head -1)
UNIT="$BUILD/tools/unit/veld72-unit"
B="$BUILD/bench"
TITLE=" Polar Garnet acoustic phase calibration software"

TMP=$(mktemp -d /tmp/veld72-bench-XXXXXX)
PREFIX="veld72-bench-$$"
XVFB_PID=""
PIDS=()
. "$ROOT/tools/unit/netns.sh"
cleanup() {
  local p
  for p in "${PIDS[@]}"; do kill "$p" 2>/dev/null || true; done
  veld72_net_delete "$PREFIX" 2>/dev/null || true
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null && wait "$XVFB_PID" 2>/dev/null || true
  rm -rf "$TMP"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2fx", a / b; else print "-" }'; }
inside_lo() { $VELD72_SUDO unshare -n sh -c 'ip link set lo up && exec "$@"' sh "$@"; }

# One display for everything; the programs in other network namespaces reach
# it through its socket file.
start_display() {
  exec 3>"$TMP/displayfd"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  XVFB_PID=$!
  exec 3>&-
  for _ in $(seq 100); do [ -s "$TMP/displayfd" ] && break; sleep 0.05; done
  export DISPLAY=":$(head -1 "$TMP/displayfd")"
  export HOME="$TMP/home"
  mkdir -p "$HOME"
}

cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }   # user + system, in clock ticks
HZ=$(getconf CLK_TCK)
percent_of_core() { awk -v t="$1" -v s="$2" -v hz="$HZ" 'BEGIN { printf "%.2f", 100 * t / hz / s }'; }

start_display
echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), load $(cut -d' ' -f1-3 /proc/loadavg)"

# ---------------------------------------------------------------------------
if wanted micro; then
  echo
  echo "== micro benchmarks (CPU time per operation; the table at the end pairs ours with the peer's)"
  MIN_TIME=$([ "$QUICK" -eq 1 ] && echo 0.1 || echo 0.5)
  inside_lo "$B/veld72_bench" --benchmark_color=false --benchmark_min_time="$MIN_TIME" || true
fi

# ---------------------------------------------------------------------------
if wanted startup; then
  echo
  echo "== start-up to the first painted frame, and quit (the first run warms the page cache and is not counted)"
  RUNS=$([ "$QUICK" -eq 1 ] && echo 4 || echo 12)
  inside_lo "$B/veld72-startup-probe" --runs "$RUNS" --colour 53585F -- "$APP" | tee "$TMP/startup-app.txt" | tail -4
  echo "-- peer: a bare JUCE window of the same size, from the same JUCE build"
  inside_lo "$B/veld72-startup-probe" --runs "$RUNS" --colour 53585F -- "$B/veld72-empty-window" | tee "$TMP/startup-peer.txt" | tail -4
  median() { grep "^$2" "$1" | awk '{ for (i = 1; i < NF; ++i) if ($i == "median") print $(i + 1) }'; }
  for what in "first frame painted" quit; do
    ours=$(median "$TMP/startup-app.txt" "$what"); peer=$(median "$TMP/startup-peer.txt" "$what")
    target=$([ "$what" = quit ] && echo "under 100 ms" || echo "under 300 ms")
    printf "%-22s ours %7s ms  peer %7s ms  ratio %7s  (median; target %s)\n" "$what" "$ours" "$peer" "$(ratio "$ours" "$peer")" "$target"
  done
fi

# ---------------------------------------------------------------------------
if wanted latency; then
  echo
  echo "== report to repainted meter (the window's content with the Receiver on loopback, levels sent at 30/s, then 300/s)"
  SECONDS_PER_PHASE=$([ "$QUICK" -eq 1 ] && echo 4 || echo 10)
  inside_lo "$B/veld72-meter-latency" --seconds "$SECONDS_PER_PHASE" --xserver-pid "$XVFB_PID" || true
fi

# ---------------------------------------------------------------------------
# The real app with a virtual unit, each in a private network namespace: the
# app finds the unit, the top bar's buttons are clicked as a user would, and
# a level sender in the unit's namespace plays the unit's level reports.
app_with_unit() {   # app_with_unit [unit options]
  veld72_net_delete "$PREFIX"
  veld72_net_create "$PREFIX" && veld72_net_add_unit "$PREFIX" 1 || { echo "cannot create network namespaces"; return 1; }
  $VELD72_SUDO ip netns exec "$PREFIX-u1" "$UNIT" --verbose --name Bench "$@" >"$TMP/unit.log" 2>&1 &
  PIDS+=($!)
  for _ in $(seq 50); do grep -q ready "$TMP/unit.log" && break; sleep 0.1; done

  $VELD72_SUDO ip netns exec "$PREFIX-app" env HOME="$HOME" DISPLAY="$DISPLAY" "$APP" >/dev/null 2>&1 &
  PIDS+=($!)
  APP_PID=""
  for _ in $(seq 100); do
    APP_PID=$(for p in $($VELD72_SUDO ip netns pids "$PREFIX-app"); do [ "$(cat /proc/$p/comm 2>/dev/null)" = VELD72 ] && echo "$p"; done | head -1)
    WIN=$(xdotool search --name "$TITLE" 2>/dev/null | head -1 || true)
    [ -n "$WIN" ] && [ -n "$APP_PID" ] && break
    sleep 0.1
  done
  [ -n "${WIN:-}" ] || { echo "the app's window did not appear"; return 1; }
  sleep 1

  # The content sits in the window under the title bar, centred between the borders.
  eval "$(xdotool getwindowgeometry --shell "$WIN")"
  CX=$(( (WIDTH - 1024) / 2 )); CY=$(( HEIGHT - 720 - (WIDTH - 1024) / 2 ))
  click() { xdotool mousemove --window "$WIN" $(( CX + $1 )) $(( CY + $2 )) click 1; }
  for attempt in 1 2 3; do
    click 919 30                  # "Connect"
    sleep 1
    click 412 40                  # the first address button
    sleep 0.5
    grep -q "^recv SR from 10.72.0.1" "$TMP/unit.log" && break
  done
  grep -q "^recv SR from 10.72.0.1" "$TMP/unit.log" || { echo "the app did not select the virtual unit"; return 1; }
  xdotool mousemove 0 0
  sleep 2
}

measure_app_cpu() {   # measure_app_cpu SECONDS: the app's share of one core over that time, then the peer's
  local a1 a2 p1 p2
  a1=$(cpu_ticks "$APP_PID"); p1=$(cpu_ticks "$PEER")
  sleep "$1"
  a2=$(cpu_ticks "$APP_PID"); p2=$(cpu_ticks "$PEER")
  echo "$(percent_of_core $(( a2 - a1 )) "$1") $(percent_of_core $(( p2 - p1 )) "$1")"
}

send_levels() {   # send_levels SECONDS [--constant]
  $VELD72_SUDO ip netns exec "$PREFIX-u1" "$B/veld72-level-sender" --to 10.72.0.1 --address 10.72.0.2 \
      --rate 30 --seconds "$@" >/dev/null &
  PIDS+=($!)
}

watch_drawing() {   # watch_drawing SECONDS OUTPUT: what the app's window draws meanwhile, in the background
  # The meters of the output bands and master panels, in window coordinates.
  "$B/veld72-damage-watch" --window "$WIN" --seconds "$1" ${VELD72_BENCH_DAMAGE_LIST:+--list} \
      --inside $((CX + 233)),$((CY + 470)),272,203 --inside $((CX + 910)),$((CY + 96)),25,263 >"$2" 2>&1 &
  WATCH=$!
}

if wanted idle; then
  echo
  echo "== idle with a virtual unit sending 30 level reports a second (the real app; CPU from /proc, what is drawn from X DAMAGE)"
  echo "   the peer, a bare JUCE window at rest on the same display, is measured over the same seconds"
  T=$([ "$QUICK" -eq 1 ] && echo 5 || echo 20)
  "$B/veld72-empty-window" >/dev/null 2>&1 &
  PEER=$!; PIDS+=($PEER)
  moving="? ?" rest="? ?" constant="? ?"
  if app_with_unit; then
    sleep 1
    watch_drawing "$T" "$TMP/damage-moving.txt"
    moving=$(measure_app_cpu "$T"); wait "$WATCH" || true
  fi
  if app_with_unit --level-rate 0; then
    rest=$(measure_app_cpu "$T")
    send_levels $(( T + 4 )) --constant; sleep 2
    watch_drawing "$T" "$TMP/damage-constant.txt"
    constant=$(measure_app_cpu "$T"); wait "$WATCH" || true
  fi
  veld72_net_delete "$PREFIX"
  kill "$PEER"
  show() {   # show WHAT "APP PEER" [target]
    set -- "$1" $2 "${3:-}"
    printf "%-52s %6s%% of a core; peer %5s%%, ratio %s %s\n" "$1" "$2" "$3" "$(ratio "$2" "$3")" "$4"
  }
  show "app, the virtual unit sending 30 level reports/s:" "$moving" "(target under 2%)"
  echo "   drawn meanwhile: $(tail -1 "$TMP/damage-moving.txt" 2>/dev/null)"
  show "app at rest, the unit selected and polled:" "$rest"
  show "app, 30 level reports/s that change nothing:" "$constant"
  echo "   drawn meanwhile: $(tail -1 "$TMP/damage-constant.txt" 2>/dev/null)"
  [ -n "${VELD72_BENCH_DAMAGE_LIST:-}" ] && cat "$TMP"/damage-*.txt
fi

# ---------------------------------------------------------------------------
if wanted memory; then
  echo
  echo "== memory: resident size after one and after ten minutes with the virtual unit's 30 level reports a second"
  if app_with_unit; then
    sleep 60;  rss1=$(awk '/^VmRSS/ { print $2 }' "/proc/$APP_PID/status")
    sleep 540; rss10=$(awk '/^VmRSS/ { print $2 }' "/proc/$APP_PID/status")
    echo "resident size: ${rss1} kB after one minute, ${rss10} kB after ten; ratio $(ratio "$rss10" "$rss1") (target within 10%)"
  fi
  veld72_net_delete "$PREFIX"
fi
