#!/bin/sh
# The Standalone application starts on a virtual display without a sound card
# and is still running three seconds later (its editor built, its audio device
# set up or found missing), then quits on SIGTERM.
# Usage: standalone-starts.sh STANDALONE
set -eu
app="$1"
log="$(mktemp)"
trap 'rm -f "$log"' EXIT

xvfb-run -a -s "-screen 0 1024x768x24" sh -c '
  "$1" > "$2" 2>&1 &
  pid=$!
  sleep 3
  if kill -0 "$pid" 2>/dev/null; then
    kill "$pid"
    wait "$pid" 2>/dev/null || true
    exit 0
  fi
  wait "$pid" && status=0 || status=$?
  echo "FAIL: the Standalone exited by itself with status $status"
  exit 1' sh "$app" "$log" || { cat "$log"; exit 1; }
echo "the Standalone ran for 3 s on a virtual display"
