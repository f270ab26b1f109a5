#!/bin/sh
# The LV2 bundle as lilv and sord see it: lilv finds the plug-in under its URI
# with its name, class and every published parameter; its Turtle files pass
# sord_validate against the installed LV2 vocabularies.
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

lv2_validate "$bundle"/*.ttl > "$work/validate.txt" 2>&1 || { grep -v '^Skipping' "$work/validate.txt"; fail "sord_validate found errors"; }
grep -q "Found 0 errors" "$work/validate.txt" || { cat "$work/validate.txt"; fail "sord_validate did not report 0 errors"; }

echo "lilv loads $uri ('$name', $# parameters); sord_validate: $(grep -o 'Found 0 errors.*' "$work/validate.txt")"
