#!/usr/bin/env bash
# Sets up the machine, builds everything and runs every test program under Wine.
# Extra arguments go to ctest (for example -R foundation to run one folder).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"

"$root/scripts/setup.sh"
# Let the compiler cache hit across clones in other folders (CI builds a fresh clone).
export CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=true
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" >/dev/null
cmake --build "$build"

# One virtual display for the whole run (QEL_REUSE_DISPLAY=1: the one on :99 when it runs). Xvfb
# picks a free display number itself, so runs started side by side never share one, and names it
# only once it takes connections, so the first test never comes too early.
xvfb_pid=""
if [ "${QEL_REUSE_DISPLAY:-0}" = 1 ] && [ -e /tmp/.X99-lock ]; then
  export DISPLAY=":99"
else
  fifo="$(mktemp -u)"
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1600x1200x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 </dev/null &
  xvfb_pid=$!
  n=""
  read -r -t 30 n <"$fifo" || true
  rm -f "$fifo"
  if [ -z "$n" ]; then
    echo "test: the virtual display (Xvfb) did not start" >&2
    kill "$xvfb_pid" 2>/dev/null || true
    exit 1
  fi
  export DISPLAY=":$n"
fi

export WINEPREFIX="$build/wineprefix"
cleanup() {
  WINEPREFIX="$build/wineprefix" wineserver -k >/dev/null 2>&1 || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT
"$root/scripts/wine-prefix.sh" --start-session

ctest --test-dir "$build" -j"$(nproc)" --output-on-failure "$@"
