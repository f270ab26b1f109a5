#!/usr/bin/env bash
# Side-by-side CPU cost of our LV2 and two reverbs Debian ships, measured by the
# same LV2 host on the same files: our lilv host, `vantrel-lv2host render`
# (tools/lv2host), which times its block loop alone in thread CPU time:
#   - 60 s of stereo pink noise at 48 kHz (steady load),
#   - a 2 s pink-noise burst followed by 58 s of silence (a reverb tail decaying
#     towards silence, where subnormal numbers make careless DSP slow down).
# Ours runs with its default preset and with its heaviest settings (both
# voices in feedback mode at +24 and -24 semitones, amounts 100: both reverbs
# run), set through the host's patch messages (--set).
# Each plug-in runs RUNS times per block size and signal, interleaved so that
# machine noise spreads evenly; the table shows the median run.
# No flush-to-zero is set by the host: each plug-in must handle subnormals
# itself, as it must in hosts that don't set it.
#
# Usage: [RUNS=5] [BLOCKS="512 64 32"] scripts/bench-peers.sh [BUILD_DIR]   (default build/release)
# (RUNS=1 BLOCKS=512 is a quick look of a few minutes; the targets are judged
# on the full run.)
source "$(dirname "$0")/common.sh"

BUILD="${1:-build/release}"
RUNS="${RUNS:-5}"
BLOCKS="${BLOCKS:-512 64 32}"

OURS_URI="https://karvon.example/plugins/vantrel"
WORST_URI="$OURS_URI"
WORST_SETTINGS=(--set PitchShifterModeA=1 --set PitchShifterModeB=1 --set PitchA=24 --set PitchB=-24
                --set PitchShifterAmountA=100 --set PitchShifterAmountB=100)
HALL_URI="https://github.com/michaelwillis/dragonfly-reverb"
CALF_URI="http://calf.sourceforge.net/plugins/Reverb"

# The peers are only needed here, not to build or test the project.
peers=()
for p in dragonfly-reverb-lv2 calf-plugins; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || peers+=("$p")
done
if [ ${#peers[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${peers[@]}" >/dev/null
fi

if [ ! -f "$BUILD/CMakeCache.txt" ]; then
  configure "$BUILD" -DCMAKE_BUILD_TYPE=Release
fi
cmake --build "$BUILD" --target Vantrel_LV2 vantrel_lv2host \
  || { echo "bench-peers: cannot build the LV2 or vantrel-lv2host (it needs liblilv-dev and libsndfile1-dev)" >&2; exit 1; }
BUILD="$(cd "$BUILD" && pwd)" # lilv takes absolute paths only

HOST="$BUILD/tools/vantrel-lv2host"
OURS_LV2_DIR="$(dirname "$(find "$BUILD/plugin" -type d -name '*.lv2' -path '*LV2*' | head -n1)")"
[ -x "$HOST" ] || { echo "bench-peers: vantrel-lv2host was not built" >&2; exit 1; }
[ -d "$OURS_LV2_DIR" ] || { echo "bench-peers: our LV2 bundle was not built" >&2; exit 1; }

WORK="$BUILD/bench-peers"
mkdir -p "$WORK"
STEADY="$WORK/pink-60s-48k-stereo.wav"
BURST="$WORK/burst-2s-then-silence-60s-48k-stereo.wav"
if [ ! -f "$STEADY" ] || [ ! -f "$BURST" ]; then
  # Two independent halves of one long noise run give decorrelated channels.
  sox -n -r 48000 -c 1 -b 32 -e floating-point "$WORK/mono.wav" synth 120 pinknoise vol 0.25
  sox "$WORK/mono.wav" "$WORK/left.wav" trim 0 60
  sox "$WORK/mono.wav" "$WORK/right.wav" trim 60 60
  sox -M "$WORK/left.wav" "$WORK/right.wav" "$STEADY"
  sox "$STEADY" "$BURST" trim 0 2 pad 0 58
  rm -f "$WORK/mono.wav" "$WORK/left.wav" "$WORK/right.wav"
fi

# Our bundle first on the path, the system's plug-ins after it; ~/.lv2 is left
# out so that an older installed copy cannot stand in for the one just built.
export LV2_PATH="$OURS_LV2_DIR:/usr/lib/lv2"

# Processing needs no display: a display that does not exist keeps every
# plug-in of the run off the user's X server and off one that goes away
# mid-run (a test's, on a shared machine), which would end the run.
export DISPLAY=":4095"

# measure URI FILE BLOCK [render options...] -> prints cpu_per_audio_s
measure() {
  local uri="$1" file="$2" block="$3" line
  shift 3
  # Some plug-ins print to stdout themselves: the result is found by its content.
  line="$("$HOST" render --block "$block" "$@" "$file" "$uri" 2>"$WORK/lv2host.log" | grep 'cpu_per_audio_s=')" || {
    echo "bench-peers: vantrel-lv2host render failed on $uri:" >&2; cat "$WORK/lv2host.log" >&2; return 1; }
  sed -E 's/.*cpu_per_audio_s=([0-9.eE+-]+).*/\1/' <<<"$line"
}

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

declare -A samples
for block in $BLOCKS; do
  for signal in steady burst; do
    file="$STEADY"; [ "$signal" = burst ] && file="$BURST"
    for ((run = 1; run <= RUNS; ++run)); do
      for name in ours worst hall calf; do
        uri_var="${name^^}_URI"
        settings=()
        [ "$name" = worst ] && settings=("${WORST_SETTINGS[@]}")
        samples[$block.$signal.$name]+="$(measure "${!uri_var}" "$file" "$block" "${settings[@]}") "
      done
    done
  done
done

med() { tr ' ' '\n' <<<"${samples[$1]}" | grep -v '^$' | median; }

echo
echo "CPU seconds per audio second (median of $RUNS runs, vantrel-lv2host render, 48 kHz stereo, 60 s)"
echo
echo "| block | signal | KARVON Vantrel | heaviest settings | Dragonfly Hall | Calf Reverb | ours / Dragonfly Hall | ours / Calf Reverb | heaviest / ours |"
echo "|---|---|---|---|---|---|---|---|---|"
status=0
for block in $BLOCKS; do
  for signal in steady burst; do
    o="$(med "$block.$signal.ours")"; w="$(med "$block.$signal.worst")"
    h="$(med "$block.$signal.hall")"; c="$(med "$block.$signal.calf")"
    awk -v b="$block" -v s="$signal" -v o="$o" -v w="$w" -v h="$h" -v c="$c" \
      'BEGIN { printf "| %s | %s | %.5f | %.5f | %.5f | %.5f | %.3f | %.3f | %.3f |\n", b, s, o, w, h, c, o / h, o / c, w / o }'
  done
done
echo
echo "Targets: at 512 and 64 frames ours at most 0.8 x Calf Reverb and at most 0.2 x Dragonfly Hall;"
echo "at 32 frames (and any other length) at most 1.0 x Calf Reverb; the heaviest settings at most"
echo "1.3 x the default preset; burst no higher than steady."
for block in $BLOCKS; do
  calf=1.0; hall=""
  case "$block" in 512|64) calf=0.8; hall=0.2 ;; esac
  for signal in steady burst; do
    o="$(med "$block.$signal.ours")"; w="$(med "$block.$signal.worst")"
    h="$(med "$block.$signal.hall")"; c="$(med "$block.$signal.calf")"
    awk -v o="$o" -v c="$c" -v k="$calf" 'BEGIN { exit !(o <= k * c) }' \
      || { echo "MISSED at block $block, $signal: ours $o above $calf x Calf Reverb $c"; status=1; }
    if [ -n "$hall" ]; then
      awk -v o="$o" -v h="$h" -v k="$hall" 'BEGIN { exit !(o <= k * h) }' \
        || { echo "MISSED at block $block, $signal: ours $o above $hall x Dragonfly Hall $h"; status=1; }
    fi
    awk -v o="$o" -v w="$w" 'BEGIN { exit !(w <= 1.3 * o) }' \
      || { echo "MISSED at block $block, $signal: heaviest settings $w above 1.3 x the default preset $o"; status=1; }
  done
  s="$(med "$block.steady.ours")"; b="$(med "$block.burst.ours")"
  # 10 % allowance for timing noise between two separate files.
  awk -v s="$s" -v b="$b" 'BEGIN { exit !(b <= 1.1 * s) }' \
    || { echo "MISSED at block $block: burst $b is above steady $s"; status=1; }
done
[ "$status" -eq 0 ] && echo "All targets met."
exit "$status"
