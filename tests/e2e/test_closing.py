"""Ending the program: "&Beenden" and the window's close (Alt+F4) end it
with status 1 within one measurement cycle; at 262144 points it stays open
and responsive until the outstanding capture is complete, and then ends."""

import pytest

import case_support
import menu_keys
from case_support import (EXIT_ALLOWANCE_S, FIRST_RETURN_LATENCY_S, LARGEST_FFT_SIZE, QUIT_STATUS,
                          RETURN_REPORT_LATENCY_S, WAIT_MARGIN_S, capture_s, lacks_colour,
                          request_to_end_bound_s, run_scenario, switch_to_largest_size)
from clock import now_s
from picture import RIGHT_RED

DEFAULT_FFT_SIZE = 2048
DEFAULT_INTERVAL_S = 0.2
# The close request goes out this soon after the large capture was queued,
# and the menu is used only while this much of the capture is still ahead,
# so that no menu is open when the buffer comes back.
REQUEST_WITHIN_S = 1.0
MENU_USE_UNTIL_S = 3.0


CLOSINGS = {"menu": menu_keys.EXIT, "alt-f4": menu_keys.CLOSE_WINDOW}
MEASURES = "measures before the close"
ENDS = "the close ends the program with status 1 in time"
LARGEST_STEPS = ("measures before the change to 262144 points", "two captures at 262144 points are queued",
                 "the close request comes early in a 262144-point capture",
                 "the window stays open and answers the menu while the capture runs",
                 "the program ends with status 1 once the capture is complete")


@pytest.fixture(scope="module", params=CLOSINGS, ids=list(CLOSINGS))
def closed_at_default_size(request, tones):
    return run_scenario(tones, _close_at_default_size, request.param, CLOSINGS[request.param])


@pytest.fixture(scope="module")
def closed_during_largest_capture(tones):
    return run_scenario(tones, _close_during_largest_capture)


def test_the_program_measures_before_the_close(closed_at_default_size):
    closed_at_default_size.judge(MEASURES)


def test_the_close_ends_it_with_status_1_within_a_cycle(closed_at_default_size):
    closed_at_default_size.judge(ENDS)


@pytest.mark.parametrize("step", LARGEST_STEPS, ids=["measures", "two-queued", "request-early",
                                                     "stays-responsive", "ends-once-complete"])
def test_close_during_a_262144_point_capture(closed_during_largest_capture, step):
    closed_during_largest_capture.judge(step)


def _ended_alone(program):
    """No box was ever shown."""
    return program.message_boxes() == []


def _close_at_default_size(session, outcomes, name, keys):
    program, why = session.launch_measuring("close-" + name)
    if not outcomes.record(MEASURES, program is not None, why):
        return
    bound_s = request_to_end_bound_s(DEFAULT_FFT_SIZE, DEFAULT_INTERVAL_S)
    requested_s = program.keys(*keys)
    status = program.watch_exit(bound_s + WAIT_MARGIN_S)
    took_s = program.ended_s - requested_s if status is not None else None
    ok = status == QUIT_STATUS and took_s <= bound_s and _ended_alone(program)
    outcomes.record(ENDS, ok, "%s: status %s after %s s (at most %.2f s); boxes %r" % (
        name, status, _seconds(took_s), bound_s, program.message_boxes()))


def _close_during_largest_capture(session, outcomes):
    program, why = session.launch_measuring("close-262144")
    if not outcomes.record(LARGEST_STEPS[0], program is not None, why):
        return
    # The request goes out right after a capture of the new size was queued,
    # when a complete large cycle has passed.
    if not outcomes.record(LARGEST_STEPS[1], switch_to_largest_size(program)):
        return
    requested_s = program.keys(*menu_keys.EXIT)
    queued = program.captures_queued()
    returned = program.captures_returned()
    queued_s = queued[-1]
    previous_returned_s = max(t for t in returned if t <= queued_s)
    previous_took_s = previous_returned_s - queued[-2]
    valid = (requested_s is not None and requested_s - queued_s <= REQUEST_WITHIN_S
             and previous_took_s > capture_s(LARGEST_FFT_SIZE) - 1)
    if not outcomes.record(LARGEST_STEPS[2], valid,
                           "request %.2f s after the capture was queued; the previous capture took %.2f s"
                           % ((requested_s or 0) - queued_s, previous_took_s)):
        return

    responsive = None
    if now_s() < queued_s + MENU_USE_UNTIL_S:
        program.keys(*menu_keys.CHANNEL_LEFT)
        plot = case_support.plot_when(program, lacks_colour(RIGHT_RED), timeout_s=1.0)
        responsive = (plot is not None and lacks_colour(RIGHT_RED)(plot) and program.running()
                      and now_s() < queued_s + capture_s(LARGEST_FFT_SIZE) - RETURN_REPORT_LATENCY_S)
    status = program.watch_exit(capture_s(LARGEST_FFT_SIZE) + WAIT_MARGIN_S)

    earliest_s = previous_returned_s + capture_s(LARGEST_FFT_SIZE) - RETURN_REPORT_LATENCY_S
    latest_s = queued_s + capture_s(LARGEST_FFT_SIZE) + FIRST_RETURN_LATENCY_S + EXIT_ALLOWANCE_S
    ended_s = program.ended_s
    outcomes.record(LARGEST_STEPS[3], responsive is True,
                    "menu used: %s" % ("no, too late" if responsive is None else "yes"))
    ok = status == QUIT_STATUS and ended_s is not None and earliest_s <= ended_s <= latest_s \
        and _ended_alone(program)
    outcomes.record(LARGEST_STEPS[4], ok, "status %s; ended %s s after the capture was queued, "
                    "allowed %.2f to %.2f s; boxes %r" % (
                        status, _seconds(ended_s - queued_s if ended_s else None),
                        earliest_s - queued_s, latest_s - queued_s, program.message_boxes()))


def _seconds(value):
    return "-" if value is None else "%.2f" % value
