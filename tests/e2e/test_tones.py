"""Tones of known frequency and amplitude on each channel, off the 100 Hz
grid: at two transform sizes and two measurement rates each trace peaks at
its tone's column and level, computed from the tone, the window and the size,
and stays far down away from the tone; grid, ticks and labels lie where the
geometry puts them; a tone switched off is soon gone from the picture."""

import pytest

import case_support
import menu_keys
import plot_checks
from case_support import has_colour
from clock import now_s, wait_until
from picture import LEFT_GREEN, RIGHT_RED
from surroundings import LEFT_TONE, RIGHT_TONE

DEFAULT_WINDOW = "hanning"
TRACES = pytest.mark.parametrize("trace", [(LEFT_GREEN, LEFT_TONE), (RIGHT_RED, RIGHT_TONE)],
                                 ids=["green-left", "red-right"])
DEFAULT_SETTING = (2048, 5)
SIZE_KEYS = {2048: menu_keys.SIZE_2048, 65536: menu_keys.SIZE_65536}
RATE_KEYS = {1: menu_keys.RATE_1, 5: menu_keys.RATE_5}
# (points, measurements per second): the defaults, then each size at two
# rates, the slow one with a pause far longer than any capture.
SETTINGS = [(2048, 5), (2048, 1), (65536, 1), (65536, 5)]
# Far below every tone: where leakage of a broken capture shows.
QUIET_FROM_HZ = 20.0
QUIET_TO_HZ = 200.0
QUIET_BELOW_DB = -100.0
# A tone switched off is gone from the picture within this time: the pause,
# one capture, the drawing and the player's and sound server's buffering. A
# device that hands over sound recorded long before falls seconds behind.
GONE_WITHIN_S = 1.5
TONE_BACK_WITHIN_S = 10


class Measuring:
    """The program started with one device, its size and rate, and the one
    screenshot taken at each setting (which several tests judge)."""

    def __init__(self, session):
        self.program, self.why = session.launch_measuring("spectrum")
        self.setting = DEFAULT_SETTING
        self.plots = {}

    def set(self, setting):
        assert self.program is not None, self.why
        (size, rate), (old_size, old_rate) = setting, self.setting
        keys = (SIZE_KEYS[size] if size != old_size else ()) + (RATE_KEYS[rate] if rate != old_rate else ())
        if keys:
            self.program.keys(*keys)
            case_support.settle(self.program)
        self.setting = setting

    def plot(self, setting):
        if setting not in self.plots:
            self.set(setting)
            self.plots[setting] = case_support.plot_when(self.program, has_colour(LEFT_GREEN, RIGHT_RED))
        return self.plots[setting]


@pytest.fixture(scope="module")
def measuring(tones):
    return Measuring(tones)


@pytest.fixture(scope="module", params=SETTINGS, ids=["%d-points-%d-per-s" % s for s in SETTINGS])
def setting(request):
    """(points, measurements per second): the tests of one setting run together."""
    return request.param


def judge_traces_drawn(plot):
    assert plot is not None and has_colour(LEFT_GREEN, RIGHT_RED)(plot), "no screenshot with both traces"


def judge_peak(plot, trace, fft_size, keep):
    colour, (frequency_hz, amplitude) = trace
    keep(plot and plot.picture)
    assert plot is not None
    ok, detail = plot_checks.peak_matches_tone(plot, colour, frequency_hz, amplitude, fft_size,
                                               DEFAULT_WINDOW)
    assert ok, detail


def judge_quiet(plot, trace, keep):
    keep(plot and plot.picture)
    assert plot is not None
    ok, detail = plot_checks.quiet_between(plot, trace[0], QUIET_FROM_HZ, QUIET_TO_HZ, QUIET_BELOW_DB)
    assert ok, detail


def test_with_one_device_it_measures_and_shows_no_box(measuring):
    assert measuring.program is not None, measuring.why


@pytest.mark.parametrize("judge", [plot_checks.grid_where_expected, plot_checks.ticks_where_expected,
                                   plot_checks.labels_where_expected], ids=["grid", "ticks", "labels"])
def test_the_axes_lie_where_the_geometry_puts_them(measuring, judge, keep):
    plot = measuring.plot(DEFAULT_SETTING)
    keep(plot and plot.picture)
    assert plot is not None
    ok, detail = judge(plot)
    assert ok, "%s; view %dx%d" % (detail, plot.geometry.width, plot.geometry.height)


def test_a_tone_switched_off_is_gone_from_the_picture_soon(measuring, tones):
    measuring.set(DEFAULT_SETTING)
    program = measuring.program

    def left_tone_shown():
        plot = case_support.plot_now(program)
        return plot is not None and plot_checks.tone_shown(plot, LEFT_GREEN, LEFT_TONE[0])

    tones.tone.stop()
    off_s = now_s()
    gone = wait_until(lambda: not left_tone_shown(), GONE_WITHIN_S + TONE_BACK_WITHIN_S, poll_s=0.02)
    took_s = now_s() - off_s
    tones.tone.start()
    back = wait_until(left_tone_shown, TONE_BACK_WITHIN_S)
    assert gone and took_s <= GONE_WITHIN_S and back, \
        "gone after %.2f s (at most %.1f s); back after switching on: %s" % (took_s, GONE_WITHIN_S, bool(back))


def test_a_screenshot_shows_both_traces(measuring, setting):
    judge_traces_drawn(measuring.plot(setting))


@TRACES
def test_the_trace_peaks_at_the_tones_column_and_level(measuring, setting, trace, keep):
    judge_peak(measuring.plot(setting), trace, setting[0], keep)


@TRACES
def test_the_trace_stays_quiet_far_below_the_tone(measuring, setting, trace, keep):
    judge_quiet(measuring.plot(setting), trace, keep)
