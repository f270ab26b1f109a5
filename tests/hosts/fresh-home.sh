#!/bin/sh
# Runs COMMAND with HOME in a fresh temporary folder of its own, removed
# afterwards. Host tests run in parallel, and each plug-in instance creates
# its preset folder under HOME when it is missing: a shared HOME had them race
# for it, and kept what one run left there for the next.
# Usage: fresh-home.sh COMMAND [ARG...]
set -u
home="$(mktemp -d "${TMPDIR:-/tmp}/vantrel-host-home.XXXXXX")" || exit 2
status=0
HOME="$home" "$@" || status=$?
rm -rf "$home"
exit "$status"
