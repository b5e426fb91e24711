#!/usr/bin/env bash
# Starts the analyser under Wine (called by scripts/run.sh): FRELOX_EXE, by
# default the i686 release build under 32-bit Wine, or the x86_64 build
# under 64-bit Wine where this machine cannot execute 32-bit code.
#
# With a display and a sound server of your own (DISPLAY set and `pactl info`
# answering) it simply runs the program and reports its exit status.
#
# Either way the Wine prefix records through Wine's ALSA driver, which reaches
# the sound server through ALSA's PulseAudio plugin (see use_wine_alsa_driver
# in scripts/lib/common.sh); an existing prefix is switched over too.
#
# On a headless machine it shows what the program does: a private Xvfb, a
# private PulseAudio server whose null sink plays 1234.5 Hz on the left and
# 4321 Hz on the right, a throw-away Wine prefix; it starts the program,
# dismisses an "Info" box should one name the device, lets it measure, writes a screenshot of
# the window (its path is printed), closes the program through its menu
# ("&Programm" > "&Beenden") and reports the exit status. Everything it
# started is ended again.
#
# Exit status 1 is the program's normal end; this script then ends with 0.
set -uo pipefail
source "$(dirname "$0")/lib/common.sh"
cd "$FRELOX_ROOT"

choose_windows_build
EXE=${FRELOX_EXE:-$FRELOX_ROOT/build/$FRELOX_PRESET/shell/Frelox.exe}
NORMAL_EXIT_STATUS=1
SINK=frelox_demo
MEASURE_S=4
WAIT_STEPS=300  # of 0.1 s
SCREENSHOT=${FRELOX_SCREENSHOT:-$FRELOX_ROOT/build/frelox-demo.png}

report_status() {
  echo "Frelox ended with exit status $1"
  [ "$1" -eq "$NORMAL_EXIT_STATUS" ] && exit 0
  exit "$1"
}

if [ -n "${DISPLAY:-}" ] && pactl info >/dev/null 2>&1; then
  export WINEPREFIX=${WINEPREFIX:-$FRELOX_ROOT/build/wine-prefix}
  export WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES="mscoree,mshtml="
  if [ -d "$WINEPREFIX" ]; then use_wine_alsa_driver; else init_wine_prefix "$WINEPREFIX"; fi
  "$FRELOX_WINE" "$EXE"
  report_status $?
fi

WORK=$(mktemp -d /tmp/frelox-demo.XXXXXX)
TONE_PID=""
PROGRAM_PID=""
PULSE_STARTED=""

cleanup() {
  [ -n "$PROGRAM_PID" ] && kill "$PROGRAM_PID" 2>/dev/null
  [ -n "$TONE_PID" ] && kill "$TONE_PID" 2>/dev/null
  stop_wine
  [ -n "$PULSE_STARTED" ] && stop_pulse
  [ -n "${FRELOX_XVFB_PID:-}" ] && kill "$FRELOX_XVFB_PID" 2>/dev/null
  rm -rf "$WORK"
}
trap cleanup EXIT

# Waits up to WAIT_STEPS tenths of a second for a command to succeed.
wait_for() {
  local i
  for ((i = 0; i < WAIT_STEPS; i++)); do
    "$@" >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  return 1
}

visible_window() { xdotool search --onlyvisible --name "^$1\$" | head -n 1 | grep .; }

program_ended() { ! kill -0 "$PROGRAM_PID" 2>/dev/null; }

start_xvfb 130 || exit 1
PULSE_STARTED=1
start_pulse "$SINK" || { echo "PulseAudio did not start" >&2; exit 1; }
echo "setting up a Wine prefix (a few seconds) ..."
init_wine_prefix "$WORK/wine-prefix"

play_test_tones "$SINK" &
TONE_PID=$!

echo "running $EXE ($FRELOX_BUILD_NOTE) under $FRELOX_WINE"
WINEDEBUG=-all,trace+msgbox "$FRELOX_WINE" "$EXE" 2>"$WORK/wine.log" &
PROGRAM_PID=$!

# The private sound server is Wine's only input device here, so the program
# opens it without a word; with several it first names device 0 in an "Info"
# box, and an "Error" box means it found none.
box_text() { grep -o 'MSGBOX_OnInit L"[^"]*"' "$WORK/wine.log" | head -n 1 | cut -d'"' -f2 | grep .; }
window_or_box() { visible_window Frelox || box_text; }
wait_for window_or_box
if box=$(visible_window Info); then
  echo "$(box_text) (Info box, dismissed)"
  xdotool windowfocus "$box"
  sleep 0.3
  xdotool key Return
elif box_text >/dev/null; then
  echo "Frelox reports: $(box_text)" >&2
  exit 1
fi
if ! wait_for visible_window Frelox; then
  echo "the Frelox window did not appear" >&2
  exit 1
fi
frame=$(visible_window Frelox)
sleep "$MEASURE_S"
mkdir -p "$(dirname "$SCREENSHOT")"
import -window "$frame" "$SCREENSHOT"
echo "screenshot: $SCREENSHOT"

xdotool windowfocus "$frame"
sleep 0.2
xdotool key alt+p
sleep 0.3
xdotool key b
if ! wait_for program_ended; then
  echo "Frelox did not end after Programm > Beenden" >&2
  exit 1
fi
wait "$PROGRAM_PID"
status=$?
PROGRAM_PID=""
report_status "$status"
