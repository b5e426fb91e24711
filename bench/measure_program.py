"""Measures the running program from outside, for docs/measurements.md.

For every transform size at two of the menu's rates, the program (under
Wine, recording a test tone from a private sound server) is set through its
menu and left to measure; Wine's timestamped traces of the wave input calls
then give, per cycle:
 - when the capture was queued (waveInAddBuffer) and when the program took
   it back (waveInUnprepareHeader, the first thing it does on MM_WIM_DATA);
 - the real measurements per second: queued captures per second;
 - the time from a buffer's return to the next capture queued, less the
   caption's pause: the worker's poll (up to 10 ms), the analysis of both
   channels and the drawing.
And how old the sound in a spectrum is: the left tone is switched off at a
known moment (its player ends; it plays with a short buffer), screenshots
are taken one after another until the green peak is gone, and the first
spectrum without it was drawn just before the capture queued next (Wine's
trace). Its drawing time less the moment of switching off is the lag; where
screenshots were sparser than cycles it is an upper bound.
Prints one table. Usage: measure_program.py EXE WORK_DIR [POINTS ...] (all sizes by default)"""

import signal
import statistics
import sys
import time

import case_support
import menu_keys
import plot_checks
from clock import now_s, wait_until
from picture import LEFT_GREEN, RIGHT_RED
from session import Session
from surroundings import LEFT_TONE

SIZES = (
    (1024, menu_keys.SIZE_1024), (2048, menu_keys.SIZE_2048), (4096, menu_keys.SIZE_4096),
    (8192, menu_keys.SIZE_8192), (16384, menu_keys.SIZE_16384), (32768, menu_keys.SIZE_32768),
    (65536, menu_keys.SIZE_65536), (131072, menu_keys.SIZE_131072), (262144, menu_keys.SIZE_262144),
)
RATES = (("&5 Messungen/s", 0.2, menu_keys.RATE_5), ("20 Messungen/s", 0.05, menu_keys.RATE_20))
CYCLES_SKIPPED = 2       # after a change: the capture of the old size, the transition
CYCLES_MEASURED = 4
MIN_MEASURE_S = 4.0
SAMPLE_RATE_HZ = 44100
CYCLE_TIMEOUT_MARGIN_S = 10.0
AGE_REPEATS = 3
PLAYER_LATENCY_MS = 20


def cycles(program, count, fft_size):
    """Waits for `count` more queued captures; returns the time waited."""
    started = now_s()
    program.wait_for_captures(count, count * (fft_size / SAMPLE_RATE_HZ + 1) + CYCLE_TIMEOUT_MARGIN_S)
    return now_s() - started


def measure(program, fft_size, pause_s):
    cycles(program, CYCLES_SKIPPED, fft_size)
    since = program.captures_queued()[-1]
    waited = 0.0
    while True:
        waited += cycles(program, 1, fft_size)
        queued = [t for t in program.captures_queued() if t >= since]
        if len(queued) > CYCLES_MEASURED and waited >= MIN_MEASURE_S:
            break
    returned = [t for t in program.captures_returned() if t >= since]
    rate = (len(queued) - 1) / (queued[-1] - queued[0])
    capture_ms = [1000 * (back - out) for out, back in zip(queued, returned)]
    after_return_ms = []
    for back in returned:
        following = [t for t in queued if t > back]
        if following:
            after_return_ms.append(1000 * (following[0] - back - pause_s))
    return (rate, statistics.median(capture_ms), max(capture_ms), statistics.median(after_return_ms),
            max(after_return_ms))


def tone_shown(plot):
    return plot_checks.tone_shown(plot, LEFT_GREEN, LEFT_TONE[0])


def drawn_without_tone(plot):
    """A complete drawing (the red trace comes last) without the left tone;
    a screenshot in the middle of a drawing may lack the tone too."""
    return plot.peak(RIGHT_RED) is not None and not tone_shown(plot)


def sound_age_ms(session, program, fft_size, pause_s):
    """Median lag from switching the tone off to the first spectrum drawn
    without it, and the median spacing of the screenshots that saw it."""
    timeout_s = 3 * (fft_size / SAMPLE_RATE_HZ + pause_s) + CYCLE_TIMEOUT_MARGIN_S
    lags_ms, spacings_ms = [], []
    for _ in range(AGE_REPEATS):
        session.tone.stop()
        off_s = now_s()
        last_shot_s, spacing = off_s, []
        while now_s() < off_s + timeout_s:
            taken_s = now_s()
            plot = case_support.plot_now(program)
            spacing.append(taken_s - last_shot_s)
            last_shot_s = taken_s
            if plot and drawn_without_tone(plot):
                drawn = [t for t in program.captures_queued() if t <= taken_s]
                lags_ms.append(1000 * (drawn[-1] - off_s))
                spacings_ms.append(1000 * statistics.median(spacing))
                break
        session.tone.start()
        wait_until(lambda: (lambda plot: plot and tone_shown(plot))(case_support.plot_now(program)),
                   timeout_s)
    if not lags_ms:
        return None, None
    return statistics.median(lags_ms), statistics.median(spacings_ms)


def main(exe, work_dir, only_sizes):
    rows = []
    with Session(exe, work_dir) as session, session.sound(latency_ms=PLAYER_LATENCY_MS):
        program, why = session.launch_measuring("measure")
        if program is None:
            print("the program does not measure: " + why)
            return 1
        for caption, pause_s, rate_keys in RATES:
            program.keys(*rate_keys)
            for fft_size, size_keys in SIZES:
                if only_sizes and fft_size not in only_sizes:
                    continue
                program.keys(*size_keys)
                rows.append((fft_size, caption, 1 / pause_s) + measure(program, fft_size, pause_s)
                            + sound_age_ms(session, program, fft_size, pause_s))
                print("measured %d points at %s" % (fft_size, caption), file=sys.stderr, flush=True)
        program.keys(*menu_keys.EXIT)
        program.watch_exit(CYCLE_TIMEOUT_MARGIN_S)
    print("| points | rate setting | pause | measurements/s | capture, median / max | "
          "return to next queueing less the pause: median / max | tone off to a spectrum without it "
          "(screenshot spacing) |")
    print("|---:|---|---:|---:|---:|---:|---:|")
    for (fft_size, caption, nominal, rate, capture_ms, capture_max_ms, after_median, after_max, age_ms,
         shots_ms) in rows:
        age = "-" if age_ms is None else "%.0f ms (%.0f ms)" % (age_ms, shots_ms)
        print("| %d | %s | %.0f ms | %.2f | %.0f / %.0f ms | %.1f / %.1f ms | %s |" % (
            fft_size, caption.replace("&", ""), 1000 / nominal, rate, capture_ms, capture_max_ms,
            after_median, after_max, age))
    return 0


if __name__ == "__main__":
    # Ended from outside, still end every process started here.
    signal.signal(signal.SIGTERM, lambda number, frame: sys.exit(128 + number))
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    started = time.time()
    status = main(sys.argv[1], sys.argv[2], [int(points) for points in sys.argv[3:]])
    print("(measured in %.0f s)" % (time.time() - started), file=sys.stderr)
    sys.exit(status)
