#!/usr/bin/env bash
# Builds the release package dist/Frelox-<version>.zip: the 32-bit program
# (CMake preset win32, i686 MinGW-w64) and a short user README in German and
# English (packaging/README.txt, as Windows-1252 text with CRLF line ends),
# then checks it with scripts/check-release.sh.
#
#   scripts/package.sh                              build, package, check
#   scripts/package.sh --zip BUILD_DIR OUTPUT_ZIP   package an existing build
set -euo pipefail
source "$(dirname "$0")/lib/common.sh"
cd "$FRELOX_ROOT"

EXE_NAME=Frelox.exe
README_NAME=README.txt

# Packs BUILD_DIR's program and the README into OUTPUT_ZIP.
make_zip() {
  local build_dir=$1 output=$2
  local stage
  stage=$(mktemp -d)
  cp "$build_dir/shell/$EXE_NAME" "$stage/$EXE_NAME"
  sed "s/@VERSION@/$(frelox_version)/" packaging/README.txt | iconv -f UTF-8 -t CP1252 |
    sed 's/$/\r/' >"$stage/$README_NAME"
  mkdir -p "$(dirname "$output")"
  output=$(cd "$(dirname "$output")" && pwd)/$(basename "$output")
  rm -f "$output"
  (cd "$stage" && zip -q -X "$output" "$EXE_NAME" "$README_NAME")
  rm -rf "$stage"
}

if [ "${1:-}" = "--zip" ]; then
  make_zip "$2" "$3"
  exit 0
fi

ensure_packages
mkdir -p build
cmake --preset win32 -G Ninja >/dev/null
cmake --build --preset win32 --target Frelox -j 2 >build/win32.package.log 2>&1 || {
  cat build/win32.package.log
  exit 1
}
ZIP=$(release_zip)
make_zip build/win32 "$ZIP"
check_release "$ZIP" build/win32/shell/$EXE_NAME
echo "package: $ZIP"
