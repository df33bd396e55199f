#!/usr/bin/env bash
# Sets up the machine (scripts/setup.sh), builds the console and starts it under Wine on your display.
#
#   scripts/run.sh             the console, with the saved connections of its Wine prefix
#   scripts/run.sh --fixture   also starts the test server (tests/fixtures/fixture_server.py) on
#                              loopback and adds the saved connection "Fixture server" to it, chosen
#                              at start: press Connect (any e-mail address that is not empty signs
#                              in; a few passwords, "wrong" among them, make the sign-in fail).
#                              It serves a sample organisation (tests/fixtures/sample/directory.json):
#                              units, sites, people, computers, schedule groups with their windows
#                              and slots, deployments in every status, tasks, requests, orders and
#                              asset locations; QEL_FIXTURE_SCALE=N adds N generated people and
#                              computers to it.
#
# The console keeps its own Wine prefix (build/run-prefix, or QEL_RUN_PREFIX); the test server
# stops when the console ends.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"

fixture=0
for arg in "$@"; do
  case "$arg" in
    --fixture) fixture=1 ;;
    -h|--help) sed -n '2,/^set -euo/p' "$0" | sed '$d' | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "run: unknown option $arg (try --help)" >&2; exit 2 ;;
  esac
done

"$root/scripts/setup.sh"
export CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=true
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" >/dev/null
cmake --build "$build" --target QELConsole
exe="$build/app/QELConsole.exe"

# The display: said plainly when there is none (the build above is kept for the next run).
if [ -z "${DISPLAY:-}" ]; then
  echo "run: there is no display (DISPLAY is not set). Start this from a terminal of your desktop" >&2
  echo "     session, or over 'ssh -X', or set DISPLAY to a running X server." >&2
  exit 1
fi
if [[ "$DISPLAY" =~ ^:([0-9]+)(\.[0-9]+)?$ ]] && [ ! -S "/tmp/.X11-unix/X${BASH_REMATCH[1]}" ]; then
  echo "run: there is no display $DISPLAY (no X server listens on it)." >&2
  exit 1
fi


export WINEPREFIX="${QEL_RUN_PREFIX:-$build/run-prefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
# No Gecko or Mono installers: the console does without them.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mshtml=d;mscoree=d}"
if [ ! -f "$WINEPREFIX/.qel-ready" ]; then
  echo "run: making the Wine prefix $WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1 </dev/null || true
  wine winecfg -v win10 >/dev/null 2>&1 </dev/null || true
  wineserver -w || true
  touch "$WINEPREFIX/.qel-ready"
fi

# Without a window manager (Xvfb, a bare X server) Wine waits up to two seconds for one each time
# a top-level window is hidden, so every closing dialog stalls and swallows a click: there the
# windows stay unmanaged, as in the test prefix. A window manager that follows the EWMH names a
# window of its own on the root window, and that window names itself again.
window_manager_runs() {
  local id
  id="$(xprop -root -notype _NET_SUPPORTING_WM_CHECK 2>/dev/null | sed -n 's/.*window id # *\(0x[0-9a-fA-F]*\).*/\1/p')"
  [ -n "$id" ] && xprop -id "$id" -notype _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -qi "window id # *$id"
}
managed=N
if window_manager_runs; then managed=Y; fi
if [ "$(cat "$WINEPREFIX/.qel-managed" 2>/dev/null || true)" != "$managed" ]; then
  if [ "$managed" = N ]; then
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 </dev/null || true
  else
    wine reg delete 'HKCU\Software\Wine\X11 Driver' /v Managed /f >/dev/null 2>&1 </dev/null || true
  fi
  echo "$managed" >"$WINEPREFIX/.qel-managed"
fi

server_pid=""
stop_server() { [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null || true; }
trap stop_server EXIT

if [ "$fixture" = 1 ]; then
  state="$build/run-fixture"
  mkdir -p "$state"
  rm -f "$state/info.txt"
  # Debian's own interpreter: it has python3-aiohttp.
  setsid /usr/bin/python3 "$root/tests/fixtures/fixture_server.py" --dir "$state" --lifetime 86400 \
    >"$state/server.log" 2>&1 </dev/null &
  server_pid=$!
  for _ in $(seq 1 100); do
    [ -f "$state/info.txt" ] && break
    kill -0 "$server_pid" 2>/dev/null || break
    sleep 0.1
  done
  if [ ! -f "$state/info.txt" ]; then
    echo "run: the test server did not start:" >&2
    cat "$state/server.log" >&2
    exit 1
  fi
  port="$(sed -n 's/^https_port=//p' "$state/info.txt")"

  # The saved connection, where the console keeps its connections (a "Fixture server" entry from
  # an earlier run is reused: the port changes every time), chosen as the last one signed in with;
  # and the server's test CA in the prefix's Root store, which the realtime socket checks.
  settings='HKCU\Software\TAVIK\QEL\Settings'
  count="$(wine reg query "$settings" /v Connections 2>/dev/null | tr -d '\r' | awk '$1 == "Connections" { print $3 }' || true)"
  count=$((${count:-0}))
  index="$count"
  for ((i = 0; i < count; i++)); do
    name="$(wine reg query "$settings\\Connection_$i" /v Param_0 2>/dev/null | tr -d '\r' |
      sed -n 's/^ *Param_0 *REG_SZ *//p' || true)"
    if [ "$name" = "Fixture server" ]; then index=$i; break; fi
  done
  [ "$index" -lt "$count" ] || count=$((count + 1))
  /usr/bin/python3 - "$state/ca.der" "$index" "$count" "$port" >"$state/connection.reg" <<'PY'
import hashlib, sys
der = open(sys.argv[1], 'rb').read()
index, count, port = int(sys.argv[2]), int(sys.argv[3]), sys.argv[4]
# A serialised certificate context: property 32 (the encoded certificate), flags 1, length, bytes.
blob = (32).to_bytes(4, 'little') + (1).to_bytes(4, 'little') + len(der).to_bytes(4, 'little') + der
root = 'HKEY_CURRENT_USER\\Software\\TAVIK\\QEL\\Settings'
print('REGEDIT4\n')
print(f'[{root}]')
print(f'"Connections"=dword:{count:08x}')
print(f'"LastConnection"=dword:{index:08x}\n')
print(f'[{root}\\Connection_{index}]')
print('"Param_0"="Fixture server"')
print(f'"Param_1"="https://127.0.0.1:{port}"')
print('"Param_2"="admin@example.test"')
print('"Param_3"=""')
print('"Param_4"=dword:00000000\n"Param_5"=dword:00000000\n"Param_6"=dword:00000000\n')
thumb = hashlib.sha1(der).hexdigest().upper()
print(f'[HKEY_CURRENT_USER\\Software\\Microsoft\\SystemCertificates\\Root\\Certificates\\{thumb}]')
print('"Blob"=hex:' + ','.join(f'{b:02x}' for b in blob) + '\n')
PY
  wine regedit /S "$(winepath -w "$state/connection.reg")" >/dev/null 2>&1 </dev/null
  echo "run: test server on https://127.0.0.1:$port; the connection \"Fixture server\" is chosen: press Connect."
fi

echo "run: starting the console on display $DISPLAY"
wine "$exe" || true
