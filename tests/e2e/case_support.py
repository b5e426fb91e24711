"""Helpers the cases share: plots taken from the running program, and the
time bounds every closing case derives from the ring's timing."""

import time

from clock import now_s
from plot_reading import Plot

SAMPLE_RATE_HZ = 44100
PLOT_SPACING_S = 0.3
PLOT_TIMEOUT_S = 6
SETTLE_CAPTURES = 3
SETTLE_TIMEOUT_S = 20

# Allowances of the platform, not of the program (see the platform notes):
# a queued buffer may take this long to come back even when sound flows,
FIRST_RETURN_LATENCY_S = 0.75
# the worker's analysis and the drawing of one spectrum take at most this,
ANALYSIS_AND_DRAWING_S = 0.5
# and the end of the message loop, teardown and Wine's process exit this.
EXIT_ALLOWANCE_S = 2.0
# How late a returned buffer is reported after its last frame was recorded.
RETURN_REPORT_LATENCY_S = 0.25


def capture_s(fft_size):
    return fft_size / SAMPLE_RATE_HZ


def plot_now(program):
    picture = program.screenshot()
    return Plot(picture) if picture else None


def plots(program, count, spacing_s=PLOT_SPACING_S):
    """`count` plots, spacing_s apart (more than one measurement cycle)."""
    taken = []
    for index in range(count):
        if index:
            time.sleep(spacing_s)
        plot = plot_now(program)
        if plot:
            taken.append(plot)
    return taken


def plot_when(program, condition, timeout_s=PLOT_TIMEOUT_S):
    """The first plot for which condition(plot) holds, or the last one taken."""
    deadline = now_s() + timeout_s
    plot = None
    while True:
        plot = plot_now(program) or plot
        if plot and condition(plot):
            return plot
        if now_s() >= deadline:
            return plot
        time.sleep(PLOT_SPACING_S)


def settle(program, captures=SETTLE_CAPTURES):
    """Waits until a few spectra drawn after a setting changed."""
    return program.wait_for_captures(captures, SETTLE_TIMEOUT_S)


def has_colour(*colours):
    """A condition on a plot: a trace of each colour is drawn in the view."""
    return lambda plot: all(plot.peak(colour) is not None for colour in colours)


def lacks_colour(colour):
    return lambda plot: plot.peak(colour) is None
