#!/bin/sh
# A host without a display (no DISPLAY: a render server, a session tool, a
# host started over ssh) loads the plug-in: it must not connect to X display
# :0, whose server may belong to someone else and whose end would end the host.
# vantrel-lv2host watches where X clients look for :0 first.
# Usage: lv2-no-display.sh LV2HOST BUNDLE_DIR URI
set -eu
host="$1"; bundle="$2"; uri="$3"

out="$(env -u DISPLAY LV2_PATH="$(dirname "$bundle")" "$host" --watch-display "$uri")" \
  || { echo "$out"; echo "FAIL: vantrel-lv2host failed"; exit 1; }
last="$(echo "$out" | tail -n 1)"
case "$last" in
  "display connections 0") echo "PASS: no connection to display :0" ;;
  "display unwatched") echo "SKIPPED: an X server runs as :0 on this machine"; exit 77 ;;
  *) echo "FAIL: $last (the plug-in connected to X display :0 without DISPLAY)"; exit 1 ;;
esac
