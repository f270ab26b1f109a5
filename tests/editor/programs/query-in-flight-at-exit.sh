#!/bin/sh
# Runs query-in-flight-at-exit in each case several times: every run must exit
# with status 0, print nothing (no abort message) and take well under the
# query's own time-out of 5 s. The bound leaves room for a slow, busy machine
# and for ThreadSanitizer, which pauses 1 s at exit while threads still run.
# Usage: query-in-flight-at-exit.sh PROGRAM
set -eu
program="$1"
log="$(mktemp)"
trap 'rm -f "$log"' EXIT
for stall in full silent; do
  for owner in static leaked; do
    for run in 1 2 3; do
      start=$(date +%s%N)
      status=0
      "$program" "$stall" "$owner" > "$log" 2>&1 || status=$?
      ms=$(( ($(date +%s%N) - start) / 1000000 ))
      if [ "$status" -ne 0 ] || [ -s "$log" ] || [ "$ms" -ge 4000 ]; then
        echo "FAIL: $stall/$owner run $run: status $status after $ms ms"
        cat "$log"
        exit 1
      fi
    done
    echo "$stall/$owner: 3 clean exits, the last after $ms ms"
  done
done
