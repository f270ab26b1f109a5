#!/bin/sh
# vantrel-render's files in readers that are not JUCE: libsndfile's
# sndfile-info and sox's soxi read a mono and a stereo rendering without a
# warning, as 32-bit float, with the same frame count.
# Usage: render-wav-readers.sh RENDER WORK_DIR
set -eu
render="$1"; work="$2"
rm -rf "$work"; mkdir -p "$work"
fail() { echo "FAIL: $*"; exit 1; }

for channels in 1 2; do
  in="$work/in$channels.wav"; out="$work/out$channels.wav"
  sox -n -r 44100 -c "$channels" -b 16 "$in" synth 0.5 pinknoise vol 0.3
  "$render" --quiet --tail 0.25 "$in" "$out"

  soxi "$out" >"$work/soxi.txt" 2>"$work/soxi.err" || fail "soxi could not read $out"
  [ ! -s "$work/soxi.err" ] || fail "soxi warned about $out: $(cat "$work/soxi.err")"
  grep -q "32-bit Floating Point PCM" "$work/soxi.txt" || fail "soxi does not see 32-bit float in $out"
  sox_frames="$(soxi -s "$out")"

  sndfile-info "$out" >"$work/info.txt" 2>&1 || fail "sndfile-info could not read $out"
  if grep -Eqi '\*\*\*|warning|error|should' "$work/info.txt"; then
    fail "sndfile-info complained about $out: $(grep -Ei '\*\*\*|warning|error|should' "$work/info.txt")"
  fi
  grep -q "WAVE_FORMAT_IEEE_FLOAT" "$work/info.txt" || fail "sndfile-info does not see float data in $out"
  sndfile_frames="$(sed -n 's/^Frames *: *//p' "$work/info.txt")"
  expected=$((44100 / 2 + 44100 / 4))
  [ "$sox_frames" = "$expected" ] || fail "soxi counts $sox_frames frames, expected $expected"
  [ "$sndfile_frames" = "$expected" ] || fail "sndfile-info counts $sndfile_frames frames, expected $expected"
  echo "$channels channel(s): $expected frames of 32-bit float, no warning from soxi or sndfile-info"
done
