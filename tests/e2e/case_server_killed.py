"""The sound server dies while the program measures. The device then keeps
the queued buffer for ever. The program must say so: one "Error" box once the
capture is overdue (its capture time plus the 2 s the ring grants a late
buffer), after which the last spectrum stays and nothing more is measured;
"&Beenden" then ends it with status 1 at once."""

import time

import menu_keys
from case_support import EXIT_ALLOWANCE_S, capture_s, has_colour, plot_now
from clock import now_s
from picture import LEFT_GREEN, RIGHT_RED
from program import ERROR_CAPTION

QUIT_STATUS = 1
DEFAULT_FFT_SIZE = 2048
STOPPED_TEXT = "The input device stopped delivering sound."
# The ring reports after the capture time plus 2 s; the rest is slack for
# Wine and the box's own start.
BOX_ALLOWANCE_S = 4.0
NO_MORE_CAPTURES_S = 1.0
WAIT_MARGIN_S = 10.0


def run(session, report):
    session.start_sound()
    program, why = session.launch_measuring("server-killed")
    if not report.check("server killed: the program measures first", program is not None, why):
        return
    session.sound.kill()
    killed_s = now_s()

    bound_s = capture_s(DEFAULT_FFT_SIZE) + BOX_ALLOWANCE_S
    shown = program.wait_for_message_box(STOPPED_TEXT, bound_s + WAIT_MARGIN_S)
    box_after_s = now_s() - killed_s
    boxes = program.message_boxes()
    report.check("server killed: one \"Error\" box says %r within %.2f s" % (STOPPED_TEXT, bound_s),
                 shown and box_after_s <= bound_s and boxes == [STOPPED_TEXT] and program.running(),
                 "after %.2f s; boxes %r; running %s" % (box_after_s, boxes, program.running()))

    dismissed = program.dismiss(ERROR_CAPTION)
    queued = len(program.captures_queued())
    time.sleep(NO_MORE_CAPTURES_S)
    queued_later = len(program.captures_queued())
    plot = plot_now(program)
    last_spectrum = plot is not None and has_colour(LEFT_GREEN, RIGHT_RED)(plot)
    report.check("server killed: after the box the window keeps the last spectrum and measures "
                 "no more", dismissed and program.running() and last_spectrum
                 and queued_later == queued,
                 "box dismissed %s; running %s; both traces %s; captures queued %d, %.1f s "
                 "later %d" % (dismissed, program.running(), last_spectrum, queued,
                               NO_MORE_CAPTURES_S, queued_later))

    requested_s = program.keys(*menu_keys.EXIT)
    status = program.watch_exit(EXIT_ALLOWANCE_S + WAIT_MARGIN_S)
    took_s = (program.ended_s - requested_s) if status is not None and requested_s else None
    boxes = program.message_boxes()
    report.check("server killed: &Beenden then ends it with status 1 within %.2f s, with no "
                 "further box" % EXIT_ALLOWANCE_S,
                 status == QUIT_STATUS and took_s is not None and took_s <= EXIT_ALLOWANCE_S
                 and boxes == [STOPPED_TEXT],
                 "status %s after %s s; boxes %r" % (
                     status, "-" if took_s is None else "%.2f" % took_s, boxes))
