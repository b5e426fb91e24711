#!/usr/bin/env bash
# Measures averaging and the held picture from outside (under Wine, the test
# tones in white noise from a private sound server): the scatter of a noise
# floor on the screen for each averaging choice, and the program's CPU time
# while measuring against while the picture is held. Prints two tables
# (about 2 minutes).
# FRELOX_EXE runs another program file instead of the i686 release build (the
# x86_64 build where this machine cannot execute 32-bit code).
set -uo pipefail
source "$(dirname "$0")/lib/common.sh"
cd "$FRELOX_ROOT"
measure_program bench-averaging measure_averaging.py "$@"
