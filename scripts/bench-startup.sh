#!/usr/bin/env bash
# Measures the program's start-up (under Wine, with a private sound server)
# with and without stored settings: the time to the first capture queued and
# to the frame shown, median of ten starts each (tests/e2e/measure_startup.py).
# "bash scripts/bench-startup.sh 20" makes twenty starts of each. FRELOX_EXE
# runs another program file instead of the i686 release build.
set -uo pipefail
source "$(dirname "$0")/lib/common.sh"
cd "$FRELOX_ROOT"
ensure_packages
ensure_program bench-startup || {
  cat build/bench-startup.build.log
  exit 1
}
mkdir -p build
WORK=$(mktemp -d "$FRELOX_ROOT/build/bench-startup.XXXXXX")
trap 'rm -rf "$WORK"' EXIT
"$FRELOX_PYTHON" tests/e2e/measure_startup.py "$FRELOX_EXE" "$WORK" "$@"
