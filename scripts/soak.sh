#!/usr/bin/env bash
# The soak (not part of the test command): the end-to-end suite's long run
# (tests/e2e/test_long_run.py), for longer: the real program under Wine, Xvfb
# and a private sound server for MINUTES (default 60) at "20 Messungen/s"
# and 1024 points, with menu commands, resizes, minimise / restore and the
# About box throughout. Records the process's memory and the measurements
# done (from Wine's traces), judges memory flat and the spectrum still right
# at the end, and ends the program with "&Beenden" (status 1).
#
#   scripts/soak.sh [MINUTES]
#
# FRELOX_EXE runs another program file instead of the i686 release build (the
# x86_64 build where this machine cannot execute 32-bit code).
set -uo pipefail
source "$(dirname "$0")/lib/common.sh"
cd "$FRELOX_ROOT"
ensure_packages
ensure_program soak || {
  cat build/soak.build.log
  exit 1
}
WORK=$(mktemp -d "$FRELOX_ROOT/build/soak.XXXXXX")
"$FRELOX_PYTHON" -m pytest tests/e2e/test_long_run.py -v -s -p no:cacheprovider --exe "$FRELOX_EXE" \
  --work-dir "$WORK" --long-run-minutes "${1:-60}"
status=$?
if [ "$status" -eq 0 ]; then rm -rf "$WORK"; else echo "traces and pictures: $WORK"; fi
exit "$status"
