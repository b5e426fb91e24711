#!/usr/bin/env bash
# Starts the analyser under Wine (called by scripts/run.sh): FRELOX_EXE, by
# default the i686 release build under 32-bit Wine, or the x86_64 build
# under 64-bit Wine where this machine cannot execute 32-bit code.
#
# With a display and a sound server of your own (DISPLAY set and `pactl info`
# answering) it simply runs the program and reports its exit status; the
# window is then your window manager's (a Managed=N that an earlier headless
# run left in the prefix is removed).
#
# Either way the Wine prefix records through Wine's ALSA driver, which reaches
# the sound server through ALSA's PulseAudio plugin (see WinePrefix in
# tests/e2e/surroundings.py); an existing prefix is switched over too.
#
# On a headless machine it shows what the program does (tests/e2e/demo.py):
# a private Xvfb, a private PulseAudio server whose null sink plays the test
# tones (1234.5 Hz on the left, 4321 Hz on the right), a throw-away Wine
# prefix whose windows are unmanaged (the Xvfb has no window manager); it
# starts the program, dismisses an "Info" box should one name the device,
# lets it measure, writes a screenshot of the window (its path is printed),
# closes the program through its menu ("&Programm" > "&Beenden") and reports
# the exit status. Everything it started is ended again.
#
# Exit status 1 is the program's normal end; this script then ends with 0.
set -uo pipefail
source "$(dirname "$0")/lib/common.sh"
cd "$FRELOX_ROOT"

choose_windows_build
EXE=${FRELOX_EXE:-$FRELOX_ROOT/build/$FRELOX_PRESET/shell/Frelox.exe}
NORMAL_EXIT_STATUS=1
SCREENSHOT=${FRELOX_SCREENSHOT:-$FRELOX_ROOT/build/frelox-demo.png}

if [ -n "${DISPLAY:-}" ] && pactl info >/dev/null 2>&1; then
  surroundings --prefix "${WINEPREFIX:-$FRELOX_ROOT/build/wine-prefix}" --wine "$FRELOX_WINE" \
    -- "$FRELOX_WINE" "$EXE"
  status=$?
  echo "Frelox ended with exit status $status"
  [ "$status" -eq "$NORMAL_EXIT_STATUS" ] && exit 0
  exit "$status"
fi

echo "headless run of the $FRELOX_ARCH build ($FRELOX_BUILD_NOTE)"
exec "$FRELOX_PYTHON" tests/e2e/demo.py "$EXE" "$SCREENSHOT"
