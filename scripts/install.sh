#!/usr/bin/env bash
# Installs the built plug-ins and programs for the current user, where hosts and
# shells look for them:
#   ~/.vst3/KARVON Vantrel.vst3     the VST3 plug-in
#   ~/.lv2/KARVON Vantrel.lv2       the LV2 plug-in
#   ~/.local/bin/karvon-vantrel     the Standalone application
#   ~/.local/bin/vantrel-render     the offline renderer
# An earlier installation is replaced; each bundle is copied beside its target
# first and moved into place only when complete.
#
# Usage: scripts/install.sh [BUILD_DIR]   (default build/release)
# VST3_DIR, LV2_DIR and BIN_DIR override the three destinations.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${1:-$ROOT/build/release}"
VST3_DIR="${VST3_DIR:-$HOME/.vst3}"
LV2_DIR="${LV2_DIR:-$HOME/.lv2}"
BIN_DIR="${BIN_DIR:-$HOME/.local/bin}"

find_one() { # TYPE NAME under BUILD
  local found
  found="$(find "$BUILD" -path "$BUILD/*_artefacts/*" -type "$1" -name "$2" -print -quit 2>/dev/null || true)"
  [ -n "$found" ] || { echo "install: '$2' not found in $BUILD; build first (bash scripts/build.sh)" >&2; exit 1; }
  printf '%s\n' "$found"
}

VST3="$(find_one d 'KARVON Vantrel.vst3')"
LV2="$(find_one d 'KARVON Vantrel.lv2')"
STANDALONE="$(find "$BUILD" -path '*_artefacts/*/Standalone/KARVON Vantrel' -type f -print -quit)"
RENDER="$BUILD/tools/vantrel-render"
[ -n "$STANDALONE" ] || { echo "install: the Standalone was not built in $BUILD" >&2; exit 1; }
[ -x "$RENDER" ] || { echo "install: vantrel-render was not built in $BUILD" >&2; exit 1; }

install_bundle() { # SOURCE_DIR DEST_PARENT
  local name staging
  name="$(basename "$1")"
  mkdir -p "$2"
  staging="$(mktemp -d "$2/.installing.XXXXXX")"
  cp -R "$1" "$staging/"
  rm -rf "${2:?}/$name"
  mv "$staging/$name" "$2/$name"
  rmdir "$staging"
  echo "  $2/$name"
}

install_program() { # SOURCE DEST_NAME
  mkdir -p "$BIN_DIR"
  install -m 755 "$1" "$BIN_DIR/.$2.new"
  mv -f "$BIN_DIR/.$2.new" "$BIN_DIR/$2"
  echo "  $BIN_DIR/$2"
}

echo "Installing KARVON Vantrel 1.1.0 from $BUILD:"
install_bundle "$VST3" "$VST3_DIR"
install_bundle "$LV2" "$LV2_DIR"
install_program "$STANDALONE" karvon-vantrel
install_program "$RENDER" vantrel-render

case ":$PATH:" in
  *":$BIN_DIR:"*) ;;
  *) echo "Note: $BIN_DIR is not on your PATH; add it to run karvon-vantrel and vantrel-render by name." ;;
esac
