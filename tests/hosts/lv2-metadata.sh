#!/bin/sh
# The LV2 bundle as lilv and sord see it: lilv finds the plug-in under its URI
# with its name, class and every published parameter; its Turtle files pass
# sord_validate against the installed LV2 vocabularies; stepped parameters are
# declared so.
# Usage: lv2-metadata.sh BUNDLE_DIR URI NAME PARAMETER_ID...
set -eu
bundle="$1"; uri="$2"; name="$3"; shift 3
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

# This bundle's folder and the system's LV2 vocabularies (for class names),
# not ~/.lv2: no installed copy can stand in for the bundle under test.
export LV2_PATH="$(dirname "$bundle"):/usr/lib/lv2"

lv2ls | grep -Fxq "$uri" || fail "lv2ls does not list $uri (it lists: $(lv2ls | tr '\n' ' '))"

lv2info "$uri" > "$work/info.txt" || fail "lv2info cannot load $uri"
grep -Eq "^[[:space:]]*Name:[[:space:]]+$name\$" "$work/info.txt" || fail "lv2info shows no name '$name'"
grep -Eq "^[[:space:]]*Class:[[:space:]]+Reverb Plugin\$" "$work/info.txt" || fail "lv2info shows no reverb class"
grep -q "Author Email:.*file:" "$work/info.txt" && fail "the maintainer's e-mail resolves to a file"

# lilv's own description of the plug-in carries the parameters it publishes.
lv2info -p "$work/description.ttl" "$uri" > /dev/null
for id in "$@"; do
  grep -q "<$uri:$id>" "$work/description.ttl" || fail "lilv's description lists no parameter $id"
done
count="$(grep -c "a lv2:Parameter" "$bundle/dsp.ttl")"
[ "$count" -eq "$#" ] || fail "dsp.ttl declares $count parameters, expected $#"

# Stepped parameters list every value, in their units, labelled as the editor
# shows it.
block() { awk -v p="plug:$1" '$0 == p { f = 1; next } f && /^$/ { exit } f' "$bundle/dsp.ttl" | tr -d ' \t\n'; }
for id in PitchA PitchB; do
  block "$id" | grep -q 'lv2:enumeration,lv2:integer;lv2:scalePoint\[rdfs:label"-24";rdf:value-24;\],.*\[rdfs:label"24";rdf:value24;\]\.$' \
    || fail "$id does not list its 49 semitones: $(block "$id")"
done
block PitchShifterModeB | grep -q 'lv2:enumeration,lv2:integer;lv2:scalePoint\[rdfs:label"PRE";rdf:value0;\],\[rdfs:label"FEEDBACK";rdf:value1;\],\[rdfs:label"POST";rdf:value2;\]\.$' \
  || fail "PitchShifterModeB does not list its three modes by name: $(block PitchShifterModeB)"
block InputFilterType | grep -q 'lv2:enumeration,lv2:toggled;lv2:scalePoint\[rdfs:label"lowshelf";rdf:value0;\],\[rdfs:label"hipass";rdf:value1;\]\.$' \
  || fail "InputFilterType does not list its two types by name: $(block InputFilterType)"
[ "$(grep -c "lv2:portProperty lv2:enumeration" "$bundle/dsp.ttl")" -eq 5 ] || fail "other than five parameters are stepped"

# The parameters' lv2:portProperty is kept on purpose (see tools/lv2/fix-turtle.sh);
# everything else must pass.
mkdir "$work/bundle"
cp "$bundle"/*.ttl "$work/bundle/"
grep -v "^	lv2:portProperty lv2:enumeration" "$bundle/dsp.ttl" > "$work/bundle/dsp.ttl"
lv2_validate "$work/bundle"/*.ttl > "$work/validate.txt" 2>&1 || { grep -v '^Skipping' "$work/validate.txt"; fail "sord_validate found errors"; }
grep -q "Found 0 errors" "$work/validate.txt" || { cat "$work/validate.txt"; fail "sord_validate did not report 0 errors"; }

echo "lilv loads $uri ('$name', $# parameters); sord_validate: $(grep -o 'Found 0 errors.*' "$work/validate.txt")"
