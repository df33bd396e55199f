#!/usr/bin/env bash
# Runs one Windows program under Wine with the pinned test environment.
# The prefix is made, and its session started, on first use; one persistent wineserver serves the
# whole run.
set -u
: "${WINEPREFIX:?WINEPREFIX must name the prefix}"
export WINEPREFIX
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mshtml=d;mscoree=d}"
export DISPLAY="${DISPLAY:-:99}"
here="$(cd "$(dirname "$0")" && pwd)"
"$here/wine-prefix.sh" --before-test
wineserver -p >/dev/null 2>&1 </dev/null || true
# Wine's own service processes outlive the program and inherit its output handles; route the
# output through a file so that ctest sees the end of the program, not of those services.
out="$(mktemp)"
trap 'rm -f "$out"' EXIT
rc=0
wine "$@" >"$out" 2>&1 </dev/null || rc=$?
cat "$out"
exit $rc
