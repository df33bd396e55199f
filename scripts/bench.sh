#!/usr/bin/env bash
# Builds the benchmark programs under bench/ and runs each under Wine; they print their own
# figures and ratios. Build dir as scripts/test.sh (BUILD_DIR, default <repo>/build). Uses the
# display in DISPLAY when there is one, otherwise a virtual display of its own. The search fill and
# directory benchmarks read replies of the fixture's sample directory grown for them
# (tests/fixtures/sample_reply.py, written to <build>/bench-data).
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

# The replies the search fill and directory benchmarks read: the fixture server's answers, as the
# console asks for them, in its sample directory grown to 50,000 people and 50,000 computers.
export QEL_BENCH_DATA="$build/bench-data"
/usr/bin/python3 "$root/tests/fixtures/sample_reply.py" --scale 50000 --out-dir "$QEL_BENCH_DATA" \
  search_fill.xml 'api/api_objSearch.php?PARENT=ALL&SEARCH=WS-0&MAX=20000&RETURNPATH=0' \
  dir_25000.xml 'api/api_objSearch.php?TYPE=Schedule User,Computer&PARENT=ALL&MAX=25000&RETURNPATH=1' \
  dir_50000.xml 'api/api_objSearch.php?TYPE=Schedule User,Computer&PARENT=ALL&MAX=50000&RETURNPATH=1'

export WINEPREFIX="$build/wineprefix"
status=0
for exe in "$build"/bench/bench_*.exe; do
  [ -e "$exe" ] || continue
  echo "== $(basename "$exe" .exe)"
  "$root/scripts/wine-run.sh" "$exe" || status=1
done
exit $status
