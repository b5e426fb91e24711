"""The menu, used by keyboard as a person would: channels, maximum drawing,
weighting window and transform size change the picture as they should.
Each test leaves the settings as it found them, up to the last, which ends
the program through the menu.

The tests marked release_check are the release's short check: where the
release runs only under emulation, they run alone (with test_no_device.py)
on a program of their own."""

import os
import time
import wave

import numpy as np
import pytest

import case_support
import menu_keys
import plot_checks
from case_support import has_colour, lacks_colour
from picture import LEFT_GREEN, RIGHT_RED
from surroundings import LEFT_TONE, SETTINGS_KEY
from test_tones import TRACES, judge_peak, judge_quiet
from tone_model import expected_peak, tone_level_db
from view_geometry import FREQ_MIN_HZ

DEFAULT_FFT_SIZE = 2048
LARGER_FFT_SIZE = 16384
# Several plots in a row, more than a measurement cycle apart, so that one
# picture caught in the middle of a drawing cannot decide a check.
PLOTS_PER_STATE = 3
DENSE_FROM_HZ = 10000.0            # where several lines share each column
MIN_DENSE_PIXEL_RATIO = 1.5        # more vertices with the maximum off
WIDTH_DROP_DB = 30.0               # peak width measured this far below the top
MAX_WIDTH_RATIO = 0.5              # 8 times the points: at most half the width
WINDOW_RAISE_TOLERANCE_DB = 1.0
# Wine's ALSA driver's name for the input that the sound server's default
# source feeds: the one input here, and the one measured from.
MEASURED_INPUT_NAME = "In: default"
DEFAULT_INTERVAL_S = 0.2            # "5 Messungen/s", the first start's rate
# The recording analysed through the menu: 48 kHz, its left tone right on
# line 128 of 2048 points (3000 Hz, not a line at 44.1 kHz), three seconds.
RECORDING_RATE_HZ = 48000
RECORDING_TONE = (3000.0, 0.5)
RECORDING_S = 3
# A mono file's right channel holds the analysis floor (-140 dB).
MONO_RIGHT_BELOW_DB = -135.0
# While the recording is shown nothing is measured: no capture is queued in this time.
STOPPED_WATCH_S = 1.5


@pytest.fixture(scope="module")
def started(tones):
    return tones.launch_measuring("menu")


@pytest.fixture(scope="module")
def program(started):
    assert started[0] is not None, started[1]
    return started[0]


@pytest.fixture(scope="module")
def larger_size(program):
    """(peak width at 2048 points, at 16384 points, the last plot at 16384)."""
    case_support.settle(program)
    width_2048, _ = _peak_width(program, LEFT_GREEN)
    program.keys(*menu_keys.SIZE_16384)
    case_support.settle(program)
    width_16384, plot = _peak_width(program, LEFT_GREEN)
    program.keys(*menu_keys.SIZE_2048)
    return width_2048, width_16384, plot


@pytest.mark.release_check
def test_the_program_measures(started):
    assert started[0] is not None, started[1]


@pytest.mark.parametrize("keys, shown, hidden", [
    (menu_keys.CHANNEL_LEFT, LEFT_GREEN, RIGHT_RED),
    (menu_keys.CHANNEL_RIGHT, RIGHT_RED, LEFT_GREEN),
], ids=["Links-only-green", "Rechts-only-red"])
def test_one_channel_leaves_only_its_trace(program, keys, shown, hidden, keep):
    program.keys(*keys)
    case_support.plot_when(program, lambda p: has_colour(shown)(p) and lacks_colour(hidden)(p))
    taken = case_support.plots(program, PLOTS_PER_STATE)
    program.keys(*menu_keys.CHANNEL_BOTH)
    keep(taken[-1].picture if taken else None)
    assert len(taken) == PLOTS_PER_STATE and all(
        has_colour(shown)(p) and lacks_colour(hidden)(p) for p in taken)


def test_both_channels_show_both_traces_again(program, keep):
    program.keys(*menu_keys.CHANNEL_RIGHT)
    case_support.plot_when(program, lacks_colour(LEFT_GREEN))
    program.keys(*menu_keys.CHANNEL_BOTH)
    plot = case_support.plot_when(program, has_colour(LEFT_GREEN, RIGHT_RED))
    taken = case_support.plots(program, PLOTS_PER_STATE)
    keep(plot and plot.picture)
    assert len(taken) > 0 and all(has_colour(LEFT_GREEN, RIGHT_RED)(p) for p in taken)


def test_maximum_off_draws_every_line(program, keep):
    """More green where several lines share a column."""
    program.keys(*menu_keys.CHANNEL_LEFT)
    case_support.plot_when(program, lacks_colour(RIGHT_RED))
    with_maximum, _ = _dense_green_pixels(program)
    program.keys(*menu_keys.SHOW_MAXIMUM)
    case_support.settle(program, 2)
    without_maximum, plot = _dense_green_pixels(program)
    program.keys(*menu_keys.SHOW_MAXIMUM)
    program.keys(*menu_keys.CHANNEL_BOTH)
    keep(plot and plot.picture)
    ratio = without_maximum / with_maximum if with_maximum else 0
    assert ratio >= MIN_DENSE_PIXEL_RATIO, \
        "green pixels above %g Hz: %.0f with the maximum, %.0f without (ratio %.2f, at least %.2f)" % (
            DENSE_FROM_HZ, with_maximum, without_maximum, ratio, MIN_DENSE_PIXEL_RATIO)


def test_window_off_raises_the_peak_by_the_hanning_windows_gain(program, keep):
    case_support.settle(program)
    hanning_db, _ = _peak_level(program, LEFT_GREEN)
    program.keys(*menu_keys.WINDOW_OFF)
    case_support.settle(program)
    off_db, plot = _peak_level(program, LEFT_GREEN)
    program.keys(*menu_keys.WINDOW_HANNING)
    keep(plot and plot.picture)
    frequency, amplitude = LEFT_TONE
    expected_raise = (expected_peak(frequency, amplitude, DEFAULT_FFT_SIZE, "off")[1]
                      - expected_peak(frequency, amplitude, DEFAULT_FFT_SIZE, "hanning")[1])
    assert hanning_db is not None and off_db is not None and \
        abs((off_db - hanning_db) - expected_raise) <= WINDOW_RAISE_TOLERANCE_DB, \
        "peak %s dB with Hanning, %s dB with the window off; expected raise %.1f dB (6.0 dB less " \
        "the difference in scalloping loss at this tone)" % (_db(hanning_db), _db(off_db), expected_raise)


def test_16384_points_narrow_the_peak(larger_size, keep):
    width_2048, width_16384, plot = larger_size
    keep(plot and plot.picture)
    assert width_2048 is not None and width_16384 is not None and \
        width_16384 <= MAX_WIDTH_RATIO * width_2048, \
        "columns within %g dB of the top: %s at 2048 points, %s at 16384" % (
            WIDTH_DROP_DB, width_2048, width_16384)


def test_at_16384_points_the_peak_keeps_the_tones_column_and_level(larger_size, keep):
    plot = larger_size[2]
    keep(plot and plot.picture)
    assert plot is not None
    frequency, amplitude = LEFT_TONE
    ok, detail = plot_checks.peak_matches_tone(plot, LEFT_GREEN, frequency, amplitude,
                                               LARGER_FFT_SIZE, "hanning")
    assert ok, detail


@pytest.mark.release_check
def test_rechts_then_beide_switch_the_traces(program, keep):
    """Each state judged on the first picture that shows it. A picture taken
    while the view is being drawn (more often where drawing is slow, under
    the emulator) may lack a trace, but never shows the right one alone: the
    left trace is drawn first."""
    program.keys(*menu_keys.CHANNEL_RIGHT)
    right_alone = lambda p: has_colour(RIGHT_RED)(p) and lacks_colour(LEFT_GREEN)(p)
    right = case_support.plot_when(program, right_alone)
    program.keys(*menu_keys.CHANNEL_BOTH)
    both = case_support.plot_when(program, has_colour(LEFT_GREEN, RIGHT_RED))
    keep(right and right.picture)
    keep(both and both.picture)
    assert right is not None and right_alone(right), \
        "the left channel's trace stays after 'Rechts'"
    assert both is not None and has_colour(LEFT_GREEN, RIGHT_RED)(both), "no trace each after 'Beide'"


@pytest.mark.release_check
@TRACES
def test_the_spectrum_peaks_at_each_tone_and_stays_quiet_far_below(program, trace, keep):
    case_support.settle(program)
    plot = case_support.plot_when(program, has_colour(LEFT_GREEN, RIGHT_RED))
    judge_peak(plot, trace, DEFAULT_FFT_SIZE, keep)
    judge_quiet(plot, trace, keep)


@pytest.mark.release_check
def test_choosing_the_measured_input_keeps_measuring_and_remembers_it(tones, program, keep):
    program.keys(*menu_keys.INPUT_0)
    measured = case_support.settle(program)
    plot = case_support.plot_when(program, has_colour(LEFT_GREEN, RIGHT_RED))
    keep(plot and plot.picture)
    assert measured and plot is not None and has_colour(LEFT_GREEN, RIGHT_RED)(plot), \
        "no spectrum of both tones after the choice"
    assert program.message_boxes() == [], "boxes %r" % program.message_boxes()
    stored = tones.prefix.query(SETTINGS_KEY).get("InputName")
    assert stored == MEASURED_INPUT_NAME, "InputName stored as %r" % stored


def test_a_recording_opened_shows_its_tone_at_its_rate_until_space_measures_again(tones, program, keep):
    path = os.path.join(tones.work_dir, "AUFNAHME.wav")
    frames = np.arange(RECORDING_RATE_HZ * RECORDING_S)
    left = RECORDING_TONE[1] * np.sin(2 * np.pi * RECORDING_TONE[0] * frames / RECORDING_RATE_HZ)
    with wave.open(path, "wb") as recording:
        recording.setnchannels(1)
        recording.setsampwidth(2)
        recording.setframerate(RECORDING_RATE_HZ)
        recording.writeframes(np.round(left * 32768).clip(-32768, 32767).astype("<i2").tobytes())

    program.keys(*menu_keys.ANALYSE_RECORDING)
    assert program.choose_file(menu_keys.ANALYSE_RECORDING_CAPTION, path), \
        "no %r dialog" % menu_keys.ANALYSE_RECORDING_CAPTION
    # The whole range reaches half the recording's rate; a mono file is the
    # left channel, its tone where a 44.1 kHz spectrum has no line.
    column = lambda p: p.zoomed(FREQ_MIN_HZ, RECORDING_RATE_HZ / 2).geometry.freq_to_x(RECORDING_TONE[0])
    near_column = lambda p: p.peak(LEFT_GREEN) is not None and min(
        abs(p.peak(LEFT_GREEN)[0] - x) for x in column(p)) <= plot_checks.PEAK_COLUMN_TOLERANCE_PX
    plot = case_support.plot_when(program, near_column)
    keep(plot and plot.picture)
    assert plot is not None and near_column(plot), "peak at %s, the tone's column %s" % (
        plot and plot.peak(LEFT_GREEN), plot and sorted(column(plot)))
    right = plot.peak(RIGHT_RED)
    assert right is None or plot.level_of_row(right[1]) < MONO_RIGHT_BELOW_DB, \
        "a mono file's right channel above the floor: %s" % (right,)
    level_db = tone_level_db(RECORDING_TONE[1], DEFAULT_FFT_SIZE, "hanning")
    shown_db = plot.level_of_row(plot.peak(LEFT_GREEN)[1])
    assert abs(shown_db - level_db) <= plot_checks.PEAK_LEVEL_TOLERANCE_DB + 1 / plot.geometry.y_scale, \
        (shown_db, level_db)
    queued = len(program.captures_queued())
    time.sleep(STOPPED_WATCH_S)
    assert len(program.captures_queued()) <= queued + 1, "measuring goes on under the recording"
    assert program.message_boxes() == [], program.message_boxes()

    program.keys(*menu_keys.PAUSE)
    assert case_support.settle(program), "no measuring after Space"
    live = case_support.plot_when(program, has_colour(LEFT_GREEN, RIGHT_RED))
    keep(live and live.picture)
    ok, detail = plot_checks.peak_matches_tone(live, LEFT_GREEN, LEFT_TONE[0], LEFT_TONE[1],
                                               DEFAULT_FFT_SIZE, "hanning")
    assert ok, "after Space: %s" % detail


@pytest.mark.release_check
def test_beenden_ends_it_with_status_1(program):
    program.keys(*menu_keys.EXIT)
    bound_s = case_support.request_to_end_bound_s(DEFAULT_FFT_SIZE, DEFAULT_INTERVAL_S)
    status = program.watch_exit(bound_s)
    assert status == case_support.QUIT_STATUS and program.message_boxes() == [], \
        "status %s within %.1f s; boxes %r" % (status, bound_s, program.message_boxes())


def _dense_green_pixels(program):
    """Green pixels right of DENSE_FROM_HZ, averaged over several plots."""
    taken = case_support.plots(program, PLOTS_PER_STATE)
    counts = [p.count_in_view(LEFT_GREEN, min(p.geometry.freq_to_x(DENSE_FROM_HZ))) for p in taken]
    return (sum(counts) / len(counts) if counts else 0), (taken[-1] if taken else None)


def _peak_level(program, colour):
    """The highest level of the colour's trace, as the median of several plots."""
    taken = case_support.plots(program, PLOTS_PER_STATE)
    levels = sorted(p.level_of_row(p.peak(colour)[1]) for p in taken if p.peak(colour))
    return (levels[len(levels) // 2] if levels else None), (taken[-1] if taken else None)


def _peak_width(program, colour):
    taken = case_support.plots(program, PLOTS_PER_STATE)
    widths = sorted(p.width_above(colour, p.peak(colour)[0], WIDTH_DROP_DB) for p in taken if p.peak(colour))
    return (widths[len(widths) // 2] if widths else None), (taken[-1] if taken else None)


def _db(value):
    return "none" if value is None else "%.1f" % value
