#!/usr/bin/env bash
# Builds the spectrum file benchmark (131072 rows, both types: text made,
# written, read back into a table) and runs it natively and under Wine, in a
# folder of its own under build/ that is removed afterwards. Runs the i686
# build under 32-bit Wine where this machine executes 32-bit code, otherwise
# the x86_64 build.
set -euo pipefail
source "$(dirname "$0")/lib/common.sh"
cd "$FRELOX_ROOT"

ensure_packages
choose_windows_build
mkdir -p build
NATIVE_DIR=build/bench
WINDOWS_DIR=build/bench-$FRELOX_PRESET
for dir in "$NATIVE_DIR" "$WINDOWS_DIR"; do
  if [ "$dir" = "$NATIVE_DIR" ]; then
    cmake --preset bench -G Ninja -B "$dir" >/dev/null
  else
    cmake -S . -B "$dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$FRELOX_ROOT/cmake/toolchain-mingw-$FRELOX_ARCH.cmake" \
      -DCMAKE_BUILD_TYPE=Release -DFRELOX_BUILD_TESTS=OFF -DFRELOX_BUILD_BENCH=ON >/dev/null
  fi
  cmake --build "$dir" -j 2 --target frelox_spectrum_file_bench >"$dir.files.build.log" 2>&1 || {
    cat "$dir.files.build.log"
    exit 1
  }
done

WORK=$(mktemp -d "$FRELOX_ROOT/build/bench-files.XXXXXX")
trap 'rm -rf "$WORK"' EXIT
log "machine"
lscpu | grep -E '^(Model name|CPU\(s\)|Thread\(s\) per core|Core\(s\) per socket):' || true
uptime
log "native"
(cd "$WORK" && "$FRELOX_ROOT/$NATIVE_DIR/bench/frelox_spectrum_file_bench")
log "under Wine ($FRELOX_BUILD_NOTE)"
export WINEPREFIX=${WINEPREFIX:-$FRELOX_ROOT/$WINDOWS_DIR/wine-prefix}
(cd "$WORK" && "$FRELOX_ROOT/scripts/wine-run" "$FRELOX_ARCH" \
  "$FRELOX_ROOT/$WINDOWS_DIR/bench/frelox_spectrum_file_bench.exe")
