"""Measures averaging and the held picture from outside, for docs/measurements.md.

The program (under Wine) records the test tones in white noise of RMS 0.004
(about -80 dB per line at 2048 points, Hanning) from a private sound server.
For each averaging choice it waits until the average has settled and reads
the scatter (standard deviation, dB) of the green trace's column levels
between 5 and 15 kHz on three screenshots, and the left tone's peak level.
Then the process's CPU time (user + system, from /proc) over a stretch of
measuring at the first start's settings, against the same stretch with the
picture held. Prints two tables.
Usage: measure_averaging.py EXE WORK_DIR"""

import os
import statistics
import sys
import time

import case_support
import menu_keys
import plot_checks
import surroundings
from picture import LEFT_GREEN
from session import Session
from surroundings import LEFT_TONE, RIGHT_TONE

NOISE_RMS = 0.004
BAND_HZ = (5000.0, 15000.0)
CHOICES = (("Aus", 1, menu_keys.AVERAGING_OFF), ("4 Messungen", 4, menu_keys.AVERAGING + ("4",)),
           ("16 Messungen", 16, menu_keys.AVERAGING + ("1",)),
           ("64 Messungen", 64, menu_keys.AVERAGING_64))
CPU_STRETCH_S = 20.0
CLOCK_TICKS = os.sysconf("SC_CLK_TCK")


def cpu_seconds(pid):
    with open("/proc/%d/stat" % pid) as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / CLOCK_TICKS


def cpu_share(pid):
    start_cpu, start = cpu_seconds(pid), time.monotonic()
    time.sleep(CPU_STRETCH_S)
    return (cpu_seconds(pid) - start_cpu) / (time.monotonic() - start)


def main(exe, work_dir):
    with Session(exe, work_dir) as session, session.sound(tones=False):
        player = surroundings.TonePlayer(session.server, LEFT_TONE, RIGHT_TONE, noise_rms=NOISE_RMS)
        player.start()
        try:
            program, why = session.launch_measuring("averaging")
            if program is None:
                sys.exit("the program did not measure: %s" % why)
            print("| averaging | spectra waited | scatter (dB), 3 screenshots | mean | left tone (dB) |")
            print("|---|---:|---|---:|---:|")
            for name, count, keys in CHOICES:
                program.keys(*keys)
                program.wait_for_captures(count + 4, count * 2 + 30)
                plots = case_support.plots(program, 3)
                scatters = [plot_checks.floor_scatter_db(p, LEFT_GREEN, BAND_HZ) for p in plots]
                tone = plots[-1].level_of_row(plots[-1].peak(LEFT_GREEN)[1])
                print("| %s | %d | %s | %.2f | %.1f |" % (
                    name, count + 4, " / ".join("%.2f" % s for s in scatters),
                    statistics.mean(scatters), tone))
            program.keys(*menu_keys.AVERAGING_OFF)
            pid = program.process.pid
            measuring = cpu_share(pid)
            program.keys(*menu_keys.PAUSE)
            held = cpu_share(pid)
            program.keys(*menu_keys.PAUSE)
            print()
            print("| state | CPU of the program's process over %.0f s |" % CPU_STRETCH_S)
            print("|---|---:|")
            print("| measuring (2048 points, 5 Messungen/s) | %.1f %% |" % (100 * measuring))
            print("| picture held | %.1f %% |" % (100 * held))
        finally:
            player.stop()


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2])
