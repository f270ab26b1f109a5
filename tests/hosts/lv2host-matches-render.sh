#!/bin/sh
# An LV2 host built on lilv, not on JUCE (vantrel-lv2host render, the host the
# peer benchmark times with) renders a file through the LV2 bundle with a few
# parameters set; vantrel-render renders the same file with the same settings
# and block size. After the first 100 ms (the parameters' ramps) the two must
# agree to within -60 dB of the signal.
# Usage: lv2host-matches-render.sh LV2HOST RENDER BUNDLE_DIR URI WORK_DIR
set -eu
host="$1"; render="$2"; bundle="$3"; uri="$4"; work="$5"
rm -rf "$work"; mkdir -p "$work"
fail() { echo "FAIL: $*"; exit 1; }

# One second of pink noise, then two seconds of two tones (left 220 Hz, right
# 330 Hz): a dense start and a tonal part for the pitch voices and the reverb.
sox -n -r 48000 -c 2 -b 32 -e floating-point "$work/noise.wav" synth 1 pinknoise vol 0.25
sox -n -r 48000 -c 2 -b 32 -e floating-point "$work/tones.wav" synth 2 sine 220 sine 330 vol 0.25
sox "$work/noise.wav" "$work/tones.wav" "$work/input.wav"

block=256
set -- DryWet 70 PitchA 7 PitchShifterAmountA 60 PitchShifterModeB 2 PitchShifterAmountB 40 \
       ReverbLength 3.5 InputFilterType 1 InputFilterFrequency 250 ModulationAmount 55
settings=""
while [ $# -gt 0 ]; do
  settings="$settings --set $1=$2"; shift 2
done

LV2_PATH="$(dirname "$bundle")" "$host" render --block $block $settings --output "$work/lv2host.wav" \
  "$work/input.wav" "$uri" > "$work/lv2host.txt" 2> "$work/lv2host.err" \
  || { cat "$work/lv2host.err"; fail "vantrel-lv2host render failed"; }
grep -q 'cpu_per_audio_s=' "$work/lv2host.txt" || fail "vantrel-lv2host render printed no timing"
LV2_PATH="$(dirname "$bundle")" "$host" render --block ${block}x "$work/input.wav" "$uri" > /dev/null 2>&1 \
  && fail "vantrel-lv2host render took --block ${block}x"
"$render" --quiet --block $block --tail 0 $settings "$work/input.wav" "$work/render.wav" \
  || fail "vantrel-render failed"

# RMS in dBFS of all channels after the first 100 ms.
rms() { sox "$@" -n trim 0.1 stats 2>&1 | awk '/^RMS lev dB/ { print $4 }'; }
signal="$(rms "$work/render.wav")"
difference="$(rms -m -v 1 "$work/render.wav" -v -1 "$work/lv2host.wav")"
lengths="$(soxi -s "$work/render.wav") $(soxi -s "$work/lv2host.wav")"

echo "signal $signal dBFS, difference $difference dBFS, lengths $lengths"
[ "$(soxi -s "$work/render.wav")" = "$(soxi -s "$work/lv2host.wav")" ] || fail "lengths differ: $lengths"
awk -v s="$signal" 'BEGIN { exit !(s > -60) }' || fail "the render is nearly silent ($signal dBFS)"
awk -v s="$signal" -v d="$difference" 'BEGIN { exit !(d == "-inf" || d <= s - 60) }' \
  || fail "vantrel-lv2host's output differs from vantrel-render's by more than -60 dB of the signal"
