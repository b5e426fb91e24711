#!/usr/bin/env bash
# The soak (not part of the test command): the real program under Wine, Xvfb
# and a private sound server for MINUTES (default 60) at "20 Messungen/s"
# and 1024 points, with menu commands, resizes, minimise / restore and the
# About box throughout. Records the process's memory and the measurements
# done (from Wine's traces), judges memory flat and the spectrum still right
# at the end, and ends the program with "&Beenden" (status 1).
#
#   scripts/soak.sh [MINUTES]
#
# FRELOX_EXE runs another build instead of build/win64/shell/Frelox.exe.
set -uo pipefail
source "$(dirname "$0")/lib/common.sh"
cd "$FRELOX_ROOT"
ensure_packages
if [ -z "${FRELOX_EXE:-}" ]; then
  FRELOX_EXE=$FRELOX_ROOT/build/win64/shell/Frelox.exe
  mkdir -p build
  cmake --preset win64 -G Ninja >/dev/null || exit 1
  cmake --build --preset win64 --target Frelox -j 2 >build/soak.build.log 2>&1 || {
    cat build/soak.build.log
    exit 1
  }
fi
WORK=$(mktemp -d "$FRELOX_ROOT/build/soak.XXXXXX")
python3 tests/e2e/soak.py "$FRELOX_EXE" "$WORK" "$@"
status=$?
if [ "$status" -eq 0 ]; then rm -rf "$WORK"; else echo "traces and pictures: $WORK"; fi
exit "$status"
