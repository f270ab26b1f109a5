#!/usr/bin/env bash
# The main command. Builds the plug-ins (VST3, LV2, Standalone) and
# vantrel-render in release, installs them for this user (scripts/install.sh)
# and renders a short demo through a few factory presets. Nothing else: the
# tests are scripts/test.sh, the benchmarks scripts/bench*.sh.
source "$(dirname "$0")/common.sh"

step "Configure (build/release)" configure build/release -DCMAKE_BUILD_TYPE=Release
step "Build the plug-ins and vantrel-render" \
  cmake --build build/release --target Vantrel_VST3 Vantrel_LV2 Vantrel_Standalone vantrel_render -j"$JOBS"
bash scripts/install.sh build/release

# The demo input is made here: a plucked arpeggio, a chord and a short noise hit,
# mono doubled to stereo, peaking at -12 dBFS.
DEMO="$ROOT/build/release/demo"
make_demo_input() {
  mkdir -p "$DEMO/parts"
  make_part() { sox -n -r 48000 -c 1 -b 24 "$DEMO/parts/$1.wav" "${@:2}"; }
  make_part 01 synth 0.3 pluck C4
  make_part 02 synth 0.3 pluck E4
  make_part 03 synth 0.3 pluck G4
  make_part 04 synth 0.3 pluck B4
  make_part 05 synth 0.6 pluck D5
  make_part c1 synth 1.4 pluck C3
  make_part c2 synth 1.4 pluck G3
  make_part c3 synth 1.4 pluck E4
  sox -m "$DEMO/parts/c1.wav" "$DEMO/parts/c2.wav" "$DEMO/parts/c3.wav" "$DEMO/parts/06.wav"
  make_part 07 synth 0.15 pinknoise fade q 0.002 0.15 0.14
  sox "$DEMO"/parts/0?.wav "$DEMO/input.wav" channels 2 gain -n -12
  rm -rf "$DEMO/parts"
}
step "Demo input (sox)" make_demo_input

RENDER="${BIN_DIR:-$HOME/.local/bin}/vantrel-render"
echo "Demo: $DEMO/input.wav through factory presets (rendered by the installed $RENDER):"
for preset in "Smooth Vantrel" "Abyss" "Three octaves" "Sub room" "Seven Seconds"; do
  out="$DEMO/$(tr 'A-Z ' 'a-z-' <<<"$preset").wav"
  "$RENDER" --quiet --preset "$preset" "$DEMO/input.wav" "$out"
  echo "  $out"
done
