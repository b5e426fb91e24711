#!/usr/bin/env bash
# Measures what the running program costs the machine (under Wine, recording
# the test tones from a private sound server, without Wine's traces): the CPU
# of its process, of the prefix's wineserver and of the sound server, and per
# thread of the program its CPU and wake-ups, at the defaults, at
# "20 Messungen/s", at 262144 points and with the picture held. Prints two
# tables (about 5 minutes; "bash scripts/bench-cpu.sh 20" measures 20 s per
# state instead of 60).
# FRELOX_EXE runs another program file instead of the i686 release build (the
# x86_64 build where this machine cannot execute 32-bit code).
set -uo pipefail
source "$(dirname "$0")/lib/common.sh"
cd "$FRELOX_ROOT"
measure_program bench-cpu measure_cpu.py "$@"
