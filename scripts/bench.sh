#!/usr/bin/env bash
# Builds and runs the native benchmarks of the transform and the analysis
# cycle against FFTW, installing what they need first, and prints the console
# report followed by a summary table per transform size.
# FRELOX_BENCH_BUILD_DIR chooses another build folder than the preset's.
# Further arguments go to the benchmark program (e.g. --benchmark_filter=Fft).
set -euo pipefail
source "$(dirname "$0")/lib/common.sh"
cd "$FRELOX_ROOT"

ensure_packages
mkdir -p build
BUILD_DIR=${FRELOX_BENCH_BUILD_DIR:-build/bench}
BUILD_LOG="$BUILD_DIR.build.log"

log "building the benchmarks in $BUILD_DIR"
cmake --preset bench -G Ninja -B "$BUILD_DIR" >/dev/null
cmake --build "$BUILD_DIR" -j 2 >"$BUILD_LOG" 2>&1 || {
  cat "$BUILD_LOG"
  exit 1
}
grep -vE '^\[[0-9]+/[0-9]+\]|^ninja: ' "$BUILD_LOG" || true

log "machine"
lscpu | grep -E '^(Model name|CPU\(s\)|Thread\(s\) per core|Core\(s\) per socket):' || true

log "running the benchmarks"
"$BUILD_DIR/bench/frelox_bench" "$@"
