#!/usr/bin/env bash
# Measures the program's start-up (under Wine, with a private sound server)
# with and without stored settings: the time to the first capture queued and
# to the frame shown, median of ten starts each (bench/measure_startup.py).
# "bash scripts/bench-startup.sh 20" makes twenty starts of each. FRELOX_EXE
# runs another program file instead of the i686 release build.
set -uo pipefail
source "$(dirname "$0")/lib/common.sh"
cd "$FRELOX_ROOT"
measure_program bench-startup measure_startup.py "$@"
