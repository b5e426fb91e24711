"""Measures the program's start-up with and without stored settings, for
docs/measurements.md: from the process's start to the first capture queued
(Wine's trace of waveInAddBuffer, during the frame's set-up) and to the
frame visible on the display. Starts alternate between an empty settings
key and one holding a full set of settings (placement included), after one
start that is not counted (Wine's first start in a prefix is slower).
Prints the median, minimum and maximum of each.

Usage: measure_startup.py EXE WORK_DIR [STARTS] (10 of each by default)"""

import signal
import statistics
import subprocess
import sys

from clock import now_s, wait_until
from program import FRAME_TITLE
from session import Session
from surroundings import SETTINGS_KEY

DEFAULT_STARTS = 10
START_TIMEOUT_S = 30
FRAME_POLL_S = 0.01
TOOL_TIMEOUT_S = 20
# The input is device 0 by its name under Wine's ALSA driver ("Using In:
# default." names it): a remembered input that is gone is named in a box, and
# the start waits for it.
STORED = [("FftSize", "65536"), ("Weighting", "5"), ("IntervalMs", "1000"), ("Channels", "1"),
          ("ShowMaximum", "0"), ("AutoOffset", "0"), ("ShowPeaks", "0"),
          ("InputName", "In: default", "REG_SZ"), ("InputNumber", "0"), ("WindowLeft", "100"),
          ("WindowTop", "80"), ("WindowRight", "900"), ("WindowBottom", "680"),
          ("WindowMaximized", "0")]


def frame_visible(env):
    return subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^%s$" % FRAME_TITLE],
                          env=env, capture_output=True, timeout=TOOL_TIMEOUT_S).stdout.strip()


def one_start(session, name, stored):
    session.prefix.forget_settings()
    if stored:
        for value, data, *kind in STORED:
            session.prefix.add_value(SETTINGS_KEY, value, data, *(kind or ["REG_DWORD"]))
    program = session.launch(name, keep_settings=True)
    try:
        if not wait_until(lambda: frame_visible(program.env), START_TIMEOUT_S, FRAME_POLL_S):
            return None
        shown_s = now_s() - program.started_s
        wait_until(lambda: program.captures_queued(), START_TIMEOUT_S)
        queued = program.captures_queued()
        return (queued[0] - program.started_s if queued else None), shown_s
    finally:
        program.kill()


def main(exe, work_dir, starts):
    signal.signal(signal.SIGTERM, lambda number, frame: sys.exit(128 + number))
    with Session(exe, work_dir) as session, session.sound():
        one_start(session, "warm-up", False)
        times = {False: [], True: []}
        for index in range(starts):
            for stored in (False, True):
                measured = one_start(session, "start-%d-%s" % (index, stored), stored)
                if measured and measured[0] is not None:
                    times[stored].append(measured)
    print("| settings key | starts | first capture queued, median (min to max) "
          "| frame visible, median (min to max) |")
    print("|---|---:|---:|---:|")
    for stored, label in ((False, "none (first start)"), (True, "full set stored")):
        measured = times[stored]
        cells = []
        for column in (0, 1):
            values = [m[column] * 1000 for m in measured]
            cells.append("%.0f ms (%.0f to %.0f)" % (statistics.median(values), min(values),
                                                      max(values)) if values else "-")
        print("| %s | %d | %s | %s |" % (label, len(measured), cells[0], cells[1]))
    return 0


if __name__ == "__main__":
    if len(sys.argv) not in (3, 4):
        sys.exit(__doc__)
    sys.exit(main(sys.argv[1], sys.argv[2],
                  int(sys.argv[3]) if len(sys.argv) == 4 else DEFAULT_STARTS))
