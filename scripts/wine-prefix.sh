#!/usr/bin/env bash
# Makes the Wine prefix named by WINEPREFIX once, under a lock so parallel tests wait for it.
set -eu
: "${WINEPREFIX:?}"
mkdir -p "$(dirname "$WINEPREFIX")"
exec 9>"$WINEPREFIX.lock"
flock 9
if [ ! -f "$WINEPREFIX/.qel-ready" ]; then
  WINEDLLOVERRIDES="mshtml=d;mscoree=d" WINEDEBUG=-all wineboot -i >/dev/null 2>&1 9>&- </dev/null || true
  # Report Windows 10, which the programs' manifests declare they support.
  WINEDEBUG=-all wine winecfg -v win10 >/dev/null 2>&1 9>&- </dev/null || true
  wineserver -w 9>&- || true
  touch "$WINEPREFIX/.qel-ready"
fi
# Xvfb runs no window manager: with managed windows Wine waits up to two seconds for one each time a
# top-level window is hidden (every dialog that ends), so the test prefix keeps its windows unmanaged.
if [ ! -f "$WINEPREFIX/.qel-unmanaged" ]; then
  WINEDEBUG=-all wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 9>&- </dev/null || true
  touch "$WINEPREFIX/.qel-unmanaged"
fi
