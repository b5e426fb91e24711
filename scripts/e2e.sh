#!/usr/bin/env bash
# End-to-end tests: the real program (by default the build that
# choose_windows_build picks: the i686 release) under Wine in a private Xvfb,
# recording from the monitor of a private PulseAudio null sink, judged only
# from screenshots, the message-box texts and wave input calls Wine traces,
# exit statuses and the process's memory. Prints PASS or FAIL per check, then
# "e2e: N passed, M failed"; exits non-zero on any failure. About 5 minutes.
#
#   scripts/e2e.sh [CASE ...]
#
# Cases (all by default): spectrum menu closing no-device server-killed
# quit-during-menu long-run. FRELOX_EXE runs another program file instead of
# that build's (which is then built first); the Wine loader follows the
# file's architecture. Each run works in
# a folder of its own, build/e2e.XXXXXX, which is removed when every check
# passed and otherwise kept with the traces and the pictures of failed checks.
set -uo pipefail
source "$(dirname "$0")/lib/common.sh"
cd "$FRELOX_ROOT"

fail() {
  echo "$1" >&2
  echo "e2e: 0 passed, 1 failed"
  exit 1
}

ensure_program e2e || fail "Frelox.exe does not build; see build/e2e.build.log"
[ -f "$FRELOX_EXE" ] || fail "no program at $FRELOX_EXE"

python3 -m unittest discover -s tests/e2e -p 'test_*.py' -q ||
  fail "the end-to-end judges fail their own checks"

mkdir -p build
WORK=$(mktemp -d "$FRELOX_ROOT/build/e2e.XXXXXX")
python3 tests/e2e/run_e2e.py "$FRELOX_EXE" "$WORK" "$@"
status=$?
if [ "$status" -eq 0 ]; then
  rm -rf "$WORK"
else
  echo "traces and pictures of the failed checks: $WORK"
fi
exit "$status"
