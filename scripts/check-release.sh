#!/usr/bin/env bash
# Checks the release build in BUILD_DIR (default build/win32): packs it as
# scripts/package.sh does and verifies the zip and the program in it: an
# i386 GUI image importing only Windows' own DLLs (no MinGW runtime DLLs),
# with menu 1, dialog 1 and icon group 128, next to a German and English
# README. Prints a line per check and pytest's closing line; exits non-zero
# on failure.
#
#   scripts/check-release.sh [BUILD_DIR]
set -uo pipefail
source "$(dirname "$0")/lib/common.sh"
cd "$FRELOX_ROOT"

BUILD_DIR=${1:-build/win32}
EXE=$BUILD_DIR/shell/Frelox.exe
if [ ! -f "$EXE" ]; then
  echo "FAIL  $EXE exists"
  echo "release check: FAIL"
  exit 1
fi
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
ZIP=$WORK/Frelox.zip
if ! scripts/package.sh --zip "$BUILD_DIR" "$ZIP"; then
  echo "FAIL  the package can be made"
  echo "release check: FAIL"
  exit 1
fi
check_release "$ZIP" "$EXE"
