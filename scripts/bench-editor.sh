#!/usr/bin/env bash
# The open editor's CPU: the Standalone on a virtual display with no audio
# device (idle), and vantrel-profile's window, idle and while a thread renders
# audio at real-time pace (playing). Each figure is the process's CPU time
# over 10 s from /proc/<pid>/stat (after 4 s to settle), in percent of one
# core, the median of three runs; while playing, the audio thread's own share
# is given apart. The same CPU time counted in nanoseconds (schedstat) follows.
# Usage: scripts/bench-editor.sh [BUILD_DIR]   (build it first: scripts/build.sh
# or cmake --build BUILD_DIR --target Vantrel_Standalone vantrel_profile)
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="$(cd "${1:-$ROOT/build/release}" && pwd)"
STANDALONE="$BUILD/plugin/Vantrel_artefacts/Release/Standalone/KARVON Vantrel"
PROFILE="$BUILD/tools/vantrel-profile"
SETTLE=4
SPAN=10

WORK="$(mktemp -d)"
XVFB_PID=""
# The virtual display goes with the script, also when a run fails.
trap '[ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null; rm -rf "$WORK"' EXIT
# A fresh HOME (no saved window or audio settings), and the version query sent
# to a closed loopback port.
export HOME="$WORK/home" KARVON_SERVICE_BASE_URL="http://127.0.0.1:9/"
mkdir -p "$HOME"

ticks() { awk '{ print $14 + $15 }' "$1"; }
# Nanoseconds on a CPU, summed over the process's threads (schedstat): exact
# where the ticks above only sample.
nanos() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ s += $1 } END { printf "%.0f\n", s }'; }

# once COMMAND...: prints the total CPU %, the audio thread's % and the total %
# counted in nanoseconds, of one run.
once() {
  "$@" >"$WORK/app.log" 2>&1 &
  local pid=$!
  sleep "$SETTLE"
  local audio_stat=""
  for task in /proc/$pid/task/*; do
    [ "$(cat "$task/comm" 2>/dev/null)" = "vantrel audio" ] && audio_stat="$task/stat"
  done
  local t0 a0=0 n0 s0 t1 a1=0 n1 s1
  t0=$(ticks "/proc/$pid/stat"); [ -n "$audio_stat" ] && a0=$(ticks "$audio_stat"); n0=$(nanos "$pid")
  s0=$(date +%s.%N)
  sleep "$SPAN"
  t1=$(ticks "/proc/$pid/stat"); [ -n "$audio_stat" ] && a1=$(ticks "$audio_stat"); n1=$(nanos "$pid")
  s1=$(date +%s.%N)
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  awk -v t="$((t1 - t0))" -v a="$((a1 - a0))" -v n="$((n1 - n0))" -v d="$(echo "$s1 - $s0" | bc -l)" \
      -v hz="$(getconf CLK_TCK)" 'BEGIN { printf "%.2f %.2f %.2f\n", 100 * t / hz / d, 100 * a / hz / d, 100 * n / 1e9 / d }'
}

# measure LABEL COMMAND...: the median run by total CPU.
measure() {
  local label="$1"; shift
  local runs=()
  for _ in 1 2 3; do runs+=("$(once "$@")"); done
  printf '%s\n' "${runs[@]}" | sort -n | sed -n 2p | awk -v l="$label" '{
    if ($2 > 0) printf "%-26s %5.2f %% of a core (audio thread %.2f %%, the rest %.2f %%; in ns: %.2f %%)\n", l, $1, $2, $1 - $2, $3
    else printf "%-26s %5.2f %% of a core (in ns: %.2f %%)\n", l, $1, $3 }'
}

run() {
  # Xvfb picks a free display and writes its number to fd 3.
  : >"$WORK/display"
  Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$WORK/display" >"$WORK/xvfb.log" 2>&1 &
  XVFB_PID=$!
  for _ in $(seq 50); do [ -s "$WORK/display" ] && break; sleep 0.1; done
  [ -s "$WORK/display" ] || { echo "Xvfb did not start: $(cat "$WORK/xvfb.log")" >&2; exit 1; }
  DISPLAY=":$(head -n1 "$WORK/display")" measure "$@"
  kill "$XVFB_PID"; wait "$XVFB_PID" 2>/dev/null || true
  XVFB_PID=""
}

run "Standalone, idle" "$STANDALONE"
run "editor window, idle" "$PROFILE" editor --seconds 60
run "editor window, playing" "$PROFILE" editor --play --seconds 60
