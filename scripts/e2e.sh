#!/usr/bin/env bash
# End-to-end tests (tests/e2e, under pytest): the real program (by default
# the build that choose_windows_build picks: the i686 release) under Wine in a
# private Xvfb, recording from the monitor of a private PulseAudio null sink,
# judged only from screenshots, the message-box texts and wave input calls
# Wine traces, exit statuses and the process's memory; with them the judges'
# own checks on pictures drawn by hand. Prints a line per test, the times of
# the slowest steps and pytest's closing line ("N passed in S s"); exits
# non-zero on any failure, and when the arguments select no test. About 6
# minutes.
#
#   scripts/e2e.sh [PYTEST OPTION ...]      e.g. -k closing, -k "spectrum and 65536"
#
# FRELOX_EXE runs another program file instead of that build's (which is
# then built first); the Wine loader follows the file's architecture. Each
# run works in a folder of its own, build/e2e.XXXXXX, which is removed when
# every test passed and otherwise kept with the traces and the pictures of
# failed tests.
set -uo pipefail
source "$(dirname "$0")/lib/common.sh"
cd "$FRELOX_ROOT"

fail() {
  echo "$1" >&2
  echo "e2e: not run"
  exit 1
}

ensure_program e2e || fail "Frelox.exe does not build; see build/e2e.build.log"
[ -f "$FRELOX_EXE" ] || fail "no program at $FRELOX_EXE"

mkdir -p build
WORK=$(mktemp -d "$FRELOX_ROOT/build/e2e.XXXXXX")
# The slowest steps (set-ups, cases) are listed, so that a run's log shows where its time went.
"$FRELOX_PYTHON" -m pytest tests/e2e -v -p no:cacheprovider --durations=15 --durations-min=1 \
  --exe "$FRELOX_EXE" --work-dir "$WORK" "$@"
status=$?
case $status in
  0) rm -rf "$WORK" ;;
  5)
    rm -rf "$WORK"
    echo "e2e: FAIL: the arguments select no test (pytest exit status 5): $*" >&2
    ;;
  *) echo "traces and pictures of the failed tests: $WORK" ;;
esac
exit "$status"
