#!/usr/bin/env bash
# Builds the benchmark programs under bench/ and runs each under Wine; they print their own
# figures and ratios. Build dir as scripts/test.sh (BUILD_DIR, default <repo>/build). Uses the
# display in DISPLAY when there is one, otherwise a virtual display of its own.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"

"$root/scripts/setup.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" >/dev/null
cmake --build "$build"

xvfb_pid=""
if [ -z "${DISPLAY:-}" ] || ! xdpyinfo -display "$DISPLAY" >/dev/null 2>&1; then
  n=99
  while [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  export DISPLAY=":$n"
  Xvfb "$DISPLAY" -screen 0 1600x1200x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  sleep 1
fi
trap '[ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true' EXIT

export WINEPREFIX="$build/wineprefix"
status=0
for exe in "$build"/bench/bench_*.exe; do
  [ -e "$exe" ] || continue
  echo "== $(basename "$exe" .exe)"
  "$root/scripts/wine-run.sh" "$exe" || status=1
done
exit $status
