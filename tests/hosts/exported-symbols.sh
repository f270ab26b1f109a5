#!/bin/sh
# A plug-in's shared object exports only its format's entry points: anything
# more can bind to another plug-in's copy of the same code in one host.
# Usage: exported-symbols.sh LIBRARY ENTRY_POINT...
set -eu
library="$1"
shift
expected="$(printf '%s\n' "$@" | sort)"
# Defined dynamic symbols, without the version nodes the linker may add.
exported="$(nm -D --defined-only "$library" | awk '$2 != "A" { print $3 }' | sed 's/@.*//' | sort -u)"
if [ "$exported" != "$expected" ]; then
  echo "FAIL: $library exports $(printf '%s\n' "$exported" | grep -c .) symbols:"
  printf '%s\n' "$exported" | head -40
  echo "expected exactly:"
  printf '%s\n' "$expected"
  exit 1
fi
echo "$library exports exactly: $(printf '%s ' "$@")"
