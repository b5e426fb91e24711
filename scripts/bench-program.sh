#!/usr/bin/env bash
# Measures the running program (under Wine, recording a test
# tone from a private sound server) at every transform size and at the rate
# settings "5 Messungen/s" and "20 Messungen/s": real measurements per second,
# the capture's duration, and the time from a buffer's return to the next
# capture queued, less the pause (the worker's poll of up to 10 ms, the
# analysis and the drawing). Reads Wine's timestamped traces of the wave
# input calls; the program itself is not changed. Prints a table (about 4
# minutes; "bash scripts/bench-program.sh 2048 65536" measures only those sizes).
# FRELOX_EXE runs another program file instead of the i686 release build (the
# x86_64 build where this machine cannot execute 32-bit code).
set -uo pipefail
source "$(dirname "$0")/lib/common.sh"
cd "$FRELOX_ROOT"
measure_program bench-program measure_program.py "$@"
