#!/usr/bin/env bash
# Makes the Wine prefix named by WINEPREFIX once, under a lock so parallel tests wait for it.
#   --start-session  then also keeps one wineserver running for the prefix and starts Wine's own
#                    processes of that session (services, devices) under the pinned locale
#   --before-test    for scripts/wine-run.sh: the same, but the session is only started where the
#                    prefix was just made or the calling test runs under another locale or zone
set -eu
: "${WINEPREFIX:?}"
# Wine keeps the user locale in the prefix's registry, and every process started under another
# locale rewrites it there while the others read it: so Wine's own processes in the test prefix
# run under the locale and zone every test program runs with (QEL_TEST_LOCALE_ENV in
# tests/CMakeLists.txt), and only the tests that ask for another one (run alone) differ.
pinned="en_GB.UTF-8|en_GB.UTF-8|UTC"
caller="${LANG:-}|${LC_ALL:-}|${TZ:-}"
export LANG=en_GB.UTF-8 LC_ALL=en_GB.UTF-8 TZ=UTC
export WINEDEBUG=-all WINEDLLOVERRIDES="mshtml=d;mscoree=d"
mkdir -p "$(dirname "$WINEPREFIX")"
exec 9>"$WINEPREFIX.lock"
flock 9
made=0
if [ ! -f "$WINEPREFIX/.qel-ready" ]; then
  wineboot -i >/dev/null 2>&1 9>&- </dev/null || true
  # Report Windows 10, which the programs' manifests declare they support.
  wine winecfg -v win10 >/dev/null 2>&1 9>&- </dev/null || true
  # Xvfb runs no window manager: with managed windows Wine waits up to two seconds for one each
  # time a top-level window is hidden (every dialog that ends), so the windows stay unmanaged.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 9>&- </dev/null || true
  # Wait until every process of the set-up has ended and the registry is written out: nothing
  # of it may still be at work when the first tests start.
  wineserver -w 9>&- || true
  touch "$WINEPREFIX/.qel-unmanaged" "$WINEPREFIX/.qel-ready"
  made=1
fi
# A prefix made before its windows were unmanaged.
if [ ! -f "$WINEPREFIX/.qel-unmanaged" ]; then
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 9>&- </dev/null || true
  touch "$WINEPREFIX/.qel-unmanaged"
fi
exec 9>&-
start=0
case "${1:-}" in
  --start-session) start=1 ;;
  --before-test) if [ "$made" = 1 ] || [ "$caller" != "$pinned" ]; then start=1; fi ;;
esac
if [ "$start" = 1 ]; then
  wineserver -p >/dev/null 2>&1 </dev/null || true
  # The first Wine process of a session starts the session's own processes; they keep its
  # environment and start further services on demand while the tests run. Start them here, under
  # the pinned locale, rather than under whichever test comes first. In a session already running
  # this costs one short process.
  wine cmd /c exit >/dev/null 2>&1 </dev/null || true
fi
