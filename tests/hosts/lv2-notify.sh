#!/bin/sh
# What an LV2 host learns of the parameters from the plug-in's notify output
# (vantrel-lv2host, a lilv host): every value at instantiation, on patch:Get
# (all, or the one asked for), and after a state restore before or between
# runs; nothing while nothing changes.
# Usage: lv2-notify.sh LV2HOST BUNDLE_DIR URI
set -eu
host="$1"; bundle="$2"; uri="$3"
fail() { echo "FAIL: $*"; echo "$out"; exit 1; }

out="$(LV2_PATH="$(dirname "$bundle")" "$host" --set DryWet=70 --set PitchA=7 --set InputFilterType=1 "$uri")" \
  || { echo "$out"; fail "vantrel-lv2host failed"; }

expect() { echo "$out" | grep -qx "$1" || fail "missing line '$1'"; }

# A new instance starts on the default preset and says so.
expect "first-run count 24"
expect "first-run PitchA -12"
expect "first-run DryWet 50"
expect "first-run ReverbLength 15"
expect "quiet-run count 0"
# Values the host set are what it is told when it asks.
expect "get-all count 24"
expect "get-all DryWet 70"
expect "get-all PitchA 7"
expect "get-all InputFilterType 1"
expect "get-all ReverbLength 15"
expect "get-one count 1"
expect "get-one DryWet 70"
# A restored state is reported whole, whether restored before the first run or
# between runs.
for step in restored-before-run restored-while-running; do
  expect "$step count 24"
  expect "$step DryWet 70"
  expect "$step PitchA 7"
  expect "$step InputFilterType 1"
  expect "$step ReverbLength 15"
done
echo "PASS"
