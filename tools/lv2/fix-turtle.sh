#!/bin/sh
# Mends the Turtle files that JUCE 7.0.5 writes into an LV2 bundle, so that they
# describe the plug-in correctly and pass sord_validate against the LV2 vocabularies:
#  - the plug-in is also a doap:Project (it carries doap:maintainer and
#    doap:release) and an lv2:ReverbPlugin (its class in hosts' menus);
#  - an empty maintainer e-mail (foaf:mbox <>) resolved to the file itself;
#  - the UI listed ui:noUserResize as extension data and opts:interface as a
#    feature: the first is a feature, the second extension data;
#  - the manifest's one nameless preset pointed at a property defined nowhere
#    (a program that does nothing): it is left out.
# One statement stays that sord_validate rejects: a parameter that names its
# values (a mode, the filter type) keeps JUCE's lv2:portProperty
# lv2:enumeration (and lv2:toggled for a switch). The core vocabulary gives
# that property to ports only, but hosts read it from patch parameters too, and
# nothing else tells them that the labelled scale points are all the values.
# Usage: fix-turtle.sh BUNDLE_DIR   (idempotent)
set -eu
bundle="$1"

rewrite() { # FILE AWK_PROGRAM
  awk "$2" "$1" > "$1.tmp" && mv "$1.tmp" "$1"
}

rewrite "$bundle/dsp.ttl" '
  /^\ta lv2:Plugin ;$/ { print "\ta lv2:Plugin , lv2:ReverbPlugin , doap:Project ;"; next }
  /^\t\tfoaf:mbox <> ;$/ { next }
  { print }'

rewrite "$bundle/ui.ttl" '
  function flush(   i, n, out, present) {
    n = 0; present = 0
    for (i = 1; i <= count; ++i) {
      if (block == "lv2:extensionData" && items[i] == "ui:noUserResize") { moved = 1; continue }
      if (block == "lv2:optionalFeature" && items[i] == "opts:interface") continue
      if (items[i] == "ui:noUserResize") present = 1
      out[++n] = items[i]
    }
    if (block == "lv2:optionalFeature" && moved && !present) out[++n] = "ui:noUserResize"
    if (block == "lv2:optionalFeature") moved = 0
    if (n == 0) { block = ""; count = 0; return }
    print "\t" block
    for (i = 1; i <= n; ++i) print "\t\t" out[i] (i < n ? " ," : " ;")
    block = ""; count = 0
  }
  /^\tlv2:(extensionData|optionalFeature)$/ { block = substr($0, 2); count = 0; next }
  block != "" {
    item = $0; sub(/^[ \t]+/, "", item); last = item ~ / ;$/; sub(/ [,;]$/, "", item)
    items[++count] = item
    if (last) flush()
    next
  }
  { print }'

rewrite "$bundle/manifest.ttl" '
  /:preset[0-9]+>$/ { skipping = 1; next }
  skipping { if ($0 ~ / \.$/) { skipping = 0; dropBlank = 1 } ; next }
  dropBlank && /^$/ { dropBlank = 0; next }
  { dropBlank = 0; print }'
