#!/usr/bin/env bash
# Builds the Windows benchmark of the spectrum view's drawing and runs it
# under Wine in a virtual display: a forced rescale and one drawing of both
# traces into a real window of 1000 x 600 pixels, at every transform size
# from 1024 to 262144 points, with maximum drawing on and off, without and
# with the readouts, and the redrawing after a mouse move; everything on at
# once, drawn again without new levels, with new live levels and with a new
# held maximum; each at the full range and zoomed deep. Runs the i686 release build under
# 32-bit Wine where this machine executes 32-bit code, otherwise the x86_64
# build (the first line of the log says which).
# FRELOX_DRAW_BENCH_BUILD_DIR chooses another build folder; WINEPREFIX another
# Wine prefix than the build folder's own.
set -euo pipefail
source "$(dirname "$0")/lib/common.sh"
cd "$FRELOX_ROOT"

ensure_packages
choose_windows_build
log "Windows build: $FRELOX_BUILD_NOTE"
mkdir -p build
BUILD_DIR=${FRELOX_DRAW_BENCH_BUILD_DIR:-build/bench-$FRELOX_PRESET}
BUILD_LOG="$BUILD_DIR.build.log"

log "building the drawing benchmark in $BUILD_DIR"
cmake -S . -B "$BUILD_DIR" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$FRELOX_ROOT/cmake/toolchain-mingw-$FRELOX_ARCH.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DFRELOX_BUILD_TESTS=OFF -DFRELOX_BUILD_BENCH=ON >/dev/null
cmake --build "$BUILD_DIR" -j 2 --target frelox_draw_bench >"$BUILD_LOG" 2>&1 || {
  cat "$BUILD_LOG"
  exit 1
}
grep -vE '^\[[0-9]+/[0-9]+\]|^ninja: ' "$BUILD_LOG" || true

log "machine"
lscpu | grep -E '^(Model name|CPU\(s\)|Thread\(s\) per core|Core\(s\) per socket):' || true
"$FRELOX_WINE" --version || true
uptime

log "running the drawing benchmark under Wine ($FRELOX_ARCH)"
# A prefix of its own, so that a test run that renews the shared one does not
# pull it away.
export WINEPREFIX=${WINEPREFIX:-$FRELOX_ROOT/$BUILD_DIR/wine-prefix}
scripts/wine-run "$FRELOX_ARCH" "$BUILD_DIR/bench/frelox_draw_bench.exe"
