"""The short check of the release exe where it runs only under emulation
(run with --release-check, beside test_no_device.py; the whole suite, which
has these cases too, runs the x86_64 build there): one program measures the
test tones and its spectrum is judged as the tone cases judge it, the channel
menu is used once, and "&Beenden" ends it with status 1. Its waits are the
session's: longer where the program runs under the emulator."""

import pytest

import case_support
import menu_keys
from case_support import QUIT_STATUS, has_colour, lacks_colour, request_to_end_bound_s
from picture import LEFT_GREEN, RIGHT_RED
from test_tones import DEFAULT_SETTING, TRACES, judge_peak, judge_quiet

DEFAULT_INTERVAL_S = 0.2


@pytest.fixture(scope="module")
def started(tones):
    return tones.launch_measuring("release-check")


@pytest.fixture(scope="module")
def program(started):
    assert started[0] is not None, started[1]
    return started[0]


@pytest.fixture(scope="module")
def spectrum(tones, program):
    return case_support.plot_when(program, has_colour(LEFT_GREEN, RIGHT_RED),
                                  tones.allow(case_support.PLOT_TIMEOUT_S))


def test_the_release_measures_and_shows_no_box(started):
    assert started[0] is not None, started[1]


@TRACES
def test_the_trace_peaks_at_the_tones_column_and_level(spectrum, trace, keep):
    judge_peak(spectrum, trace, DEFAULT_SETTING[0], keep)


@TRACES
def test_the_trace_stays_quiet_far_below_the_tone(spectrum, trace, keep):
    judge_quiet(spectrum, trace, keep)


def test_the_left_channel_alone_then_both(tones, program, keep):
    timeout_s = tones.allow(case_support.PLOT_TIMEOUT_S)
    program.keys(*menu_keys.CHANNEL_LEFT)
    left = case_support.plot_when(program, lambda p: has_colour(LEFT_GREEN)(p) and lacks_colour(RIGHT_RED)(p),
                                  timeout_s)
    program.keys(*menu_keys.CHANNEL_BOTH)
    both = case_support.plot_when(program, has_colour(LEFT_GREEN, RIGHT_RED), timeout_s)
    keep(left and left.picture)
    keep(both and both.picture)
    assert left is not None and lacks_colour(RIGHT_RED)(left) and has_colour(LEFT_GREEN)(left), \
        "the right channel's trace stays after 'Links'"
    assert both is not None and has_colour(LEFT_GREEN, RIGHT_RED)(both), "no trace each after 'Beide'"


def test_beenden_ends_it_with_status_1(tones, program):
    program.keys(*menu_keys.EXIT)
    bound_s = tones.allow(request_to_end_bound_s(DEFAULT_SETTING[0], DEFAULT_INTERVAL_S))
    status = program.watch_exit(bound_s)
    assert status == QUIT_STATUS and program.message_boxes() == [], \
        "status %s within %.0f s; boxes %r" % (status, bound_s, program.message_boxes())
