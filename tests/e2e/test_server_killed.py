"""The sound server dies while the program measures. The device then keeps
the queued buffer for ever. The program must say so: one "Error" box once the
capture is overdue (its capture time plus the 2 s the ring grants a late
buffer), after which the last spectrum stays and nothing more is measured;
"&Beenden" then ends it with status 1 at once."""

import time

import pytest

import menu_keys
from case_support import (EXIT_ALLOWANCE_S, QUIT_STATUS, WAIT_MARGIN_S, capture_s,
                          has_colour, plot_now, run_scenario)
from clock import now_s
from picture import LEFT_GREEN, RIGHT_RED
from program import ERROR_CAPTION

DEFAULT_FFT_SIZE = 2048
STOPPED_TEXT = "The input device stopped delivering sound."
# The ring reports after the capture time plus 2 s; the rest is slack for
# Wine and the box's own start.
BOX_ALLOWANCE_S = 4.0
NO_MORE_CAPTURES_S = 1.0
STEPS = ("the program measures first", 'one "Error" box says so in time',
         "after the box the window keeps the last spectrum and measures no more",
         "&Beenden then ends it with status 1 at once, with no further box")


@pytest.fixture(scope="module")
def server_killed(tones):
    return run_scenario(tones, _kill_the_server)


@pytest.mark.parametrize("step", STEPS, ids=["measures", "error-box", "keeps-last-spectrum",
                                             "ends-at-once"])
def test_the_sound_server_killed_while_measuring(server_killed, step):
    server_killed.judge(step)


def _kill_the_server(session, outcomes):
    program, why = session.launch_measuring("server-killed")
    if not outcomes.record(STEPS[0], program is not None, why):
        return
    session.server.kill()
    killed_s = now_s()

    bound_s = capture_s(DEFAULT_FFT_SIZE) + BOX_ALLOWANCE_S
    shown = program.wait_for_message_box(STOPPED_TEXT, bound_s + WAIT_MARGIN_S)
    box_after_s = now_s() - killed_s
    boxes = program.message_boxes()
    outcomes.record(STEPS[1], shown and box_after_s <= bound_s and boxes == [STOPPED_TEXT]
                    and program.running(), "%r after %.2f s (at most %.2f s); boxes %r; running %s"
                    % (STOPPED_TEXT, box_after_s, bound_s, boxes, program.running()))

    dismissed = program.dismiss(ERROR_CAPTION)
    queued = len(program.captures_queued())
    time.sleep(NO_MORE_CAPTURES_S)
    queued_later = len(program.captures_queued())
    plot = plot_now(program)
    last_spectrum = plot is not None and has_colour(LEFT_GREEN, RIGHT_RED)(plot)
    outcomes.record(STEPS[2], dismissed and program.running() and last_spectrum
                    and queued_later == queued,
                    "box dismissed %s; running %s; both traces %s; captures queued %d, %.1f s "
                    "later %d" % (dismissed, program.running(), last_spectrum, queued,
                                  NO_MORE_CAPTURES_S, queued_later))

    requested_s = program.keys(*menu_keys.EXIT)
    status = program.watch_exit(EXIT_ALLOWANCE_S + WAIT_MARGIN_S)
    took_s = (program.ended_s - requested_s) if status is not None and requested_s else None
    boxes = program.message_boxes()
    outcomes.record(STEPS[3], status == QUIT_STATUS and took_s is not None and took_s <= EXIT_ALLOWANCE_S
                    and boxes == [STOPPED_TEXT],
                    "status %s after %s s (at most %.2f s); boxes %r" % (
                        status, "-" if took_s is None else "%.2f" % took_s, EXIT_ALLOWANCE_S, boxes))
