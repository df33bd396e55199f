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

# One virtual display for the whole run.
n=99
while [ -e "/tmp/.X$n-lock" ] && [ "${QEL_REUSE_DISPLAY:-0}" != 1 ]; do n=$((n + 1)); done
export DISPLAY=":$n"
xvfb_pid=""
if [ ! -e "/tmp/.X$n-lock" ]; then
  Xvfb "$DISPLAY" -screen 0 1600x1200x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
fi

export WINEPREFIX="$build/wineprefix"
cleanup() {
  WINEPREFIX="$build/wineprefix" wineserver -k >/dev/null 2>&1 || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT
"$root/scripts/wine-prefix.sh" --start-session

ctest --test-dir "$build" -j"$(nproc)" --output-on-failure "$@"
