#!/usr/bin/env bash
# Builds the analyser and starts it, installing what it needs first.
set -euo pipefail
source "$(dirname "$0")/lib/common.sh"
cd "$FRELOX_ROOT"
ensure_packages
mkdir -p build
cmake --preset win64 -G Ninja >/dev/null
cmake --build --preset win64 -j "$(nproc)" >build/win64.build.log 2>&1 || {
  cat build/win64.build.log
  exit 1
}
if [ ! -f build/win64/shell/Frelox.exe ]; then
  echo "The program itself is not built yet; the analysis engine and its tests are."
  exit 0
fi
exec scripts/demo.sh
