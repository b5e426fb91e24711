"""Tones of known frequency and amplitude on each channel: each trace peaks
at its tone's column and level; grid, ticks and labels lie where the
geometry puts them."""

import case_support
import plot_checks
from picture import LEFT_GREEN, RIGHT_RED

# Whole multiples of 100 Hz: where the sound path drops data, it drops whole
# 10-ms packets, and such tones go on without a jump in phase. (Others, such
# as 1010 Hz, then show a broad skirt of leakage that no window removes.)
LEFT_TONE = (1000.0, 0.5)
RIGHT_TONE = (5000.0, 0.1)
DEFAULT_FFT_SIZE = 2048
DEFAULT_WINDOW = "hanning"


def run(session, report):
    session.start_sound(LEFT_TONE, RIGHT_TONE)
    program, why = session.launch_measuring("spectrum")
    if not report.check("spectrum: the program starts measuring", program is not None, why):
        return
    plot = case_support.plot_when(program, case_support.has_colour(LEFT_GREEN, RIGHT_RED))
    if not report.check("spectrum: a screenshot of the frame", plot is not None):
        return
    for name, colour, (frequency, amplitude) in (
            ("green (left) trace peaks at the 1 kHz, 0.5 tone", LEFT_GREEN, LEFT_TONE),
            ("red (right) trace peaks at the 5 kHz, 0.1 tone", RIGHT_RED, RIGHT_TONE)):
        ok, detail = plot_checks.peak_matches_tone(plot, colour, frequency, amplitude,
                                                   DEFAULT_FFT_SIZE, DEFAULT_WINDOW)
        report.check("spectrum: " + name, ok, detail, plot.picture)
    for name, judge in (("grid at the decades and 10 dB steps", plot_checks.grid_where_expected),
                        ("tick marks in the margins", plot_checks.ticks_where_expected),
                        ("axis labels in the margins", plot_checks.labels_where_expected)):
        ok, detail = judge(plot)
        report.check("spectrum: " + name, ok, "%s; view %dx%d" % (
            detail, plot.geometry.width, plot.geometry.height), plot.picture)
