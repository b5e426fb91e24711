"""Helpers the end-to-end tests share: plots taken from the running
program, the time bounds every closing test derives from the ring's timing,
and the record of a scenario whose steps are judged one test each."""

import os
import re
import time

import menu_keys
from clock import now_s, wait_until
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
QUIT_STATUS = 1
LARGEST_FFT_SIZE = 262144
QUEUE_POLL_S = 0.01
WAIT_MARGIN_S = 10.0


def capture_s(fft_size):
    return fft_size / SAMPLE_RATE_HZ


def switch_to_largest_size(program):
    """Chooses 262144 points and waits until a capture of that size is under
    way: the capture queued next still has the old size, the one after it the
    new. False when the second queueing did not come in time."""
    program.keys(*menu_keys.SIZE_262144)
    queued_count = len(program.captures_queued())
    return wait_until(lambda: len(program.captures_queued()) >= queued_count + 2,
                      capture_s(LARGEST_FFT_SIZE) + WAIT_MARGIN_S, QUEUE_POLL_S)


def request_to_end_bound_s(fft_size, interval_s):
    """The longest a close request may take to end the program: it may come
    just after a buffer returned; then the pause, analysis and drawing run,
    one more capture is recorded (and may come back late), and the process
    exits."""
    return (interval_s + ANALYSIS_AND_DRAWING_S + capture_s(fft_size)
            + FIRST_RETURN_LATENCY_S + EXIT_ALLOWANCE_S)


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


class Outcomes:
    """What the steps of a scenario on one running program found, each judged
    by a test of its own. The scenario records its steps in order and stops at
    a failed one it cannot go on from; a step not reached fails its test,
    naming the step that stopped the scenario."""

    def __init__(self, evidence_dir):
        self.evidence_dir = evidence_dir
        self.found = {}
        self.stopped_at = None

    def record(self, step, ok, detail="", picture=None):
        """Returns ok. A failure's picture, if given, is kept for its reader."""
        if not ok:
            if picture is not None:
                path = os.path.join(self.evidence_dir,
                                    re.sub(r"[^A-Za-z0-9_.-]+", "-", step) + ".png")
                picture.save_png(path)
                detail = "%s; picture %s" % (detail, path)
            self.stopped_at = self.stopped_at or step
        self.found[step] = (bool(ok), detail)
        return ok

    def judge(self, step):
        ok, detail = self.found.get(step, (False, "not reached: the scenario stopped at %r"
                                           % self.stopped_at))
        assert ok, detail


def run_scenario(session, scenario, *args):
    """The outcomes of scenario(session, outcomes, *args); the programs it
    started are ended after it."""
    outcomes = Outcomes(session.work_dir)
    scenario(session, outcomes, *args)
    session.end_programs()
    return outcomes
