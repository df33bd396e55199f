#!/usr/bin/env bash
# Builds the benchmark programs under bench/ and runs each under Wine; they print their own
# figures and ratios. Build dir as scripts/test.sh (BUILD_DIR, default <repo>/build).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"

"$root/scripts/setup.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" >/dev/null
cmake --build "$build"

export WINEPREFIX="$build/wineprefix"
for exe in "$build"/bench/bench_*.exe; do
  [ -e "$exe" ] || continue
  echo "== $(basename "$exe" .exe)"
  "$root/scripts/wine-run.sh" "$exe"
done
