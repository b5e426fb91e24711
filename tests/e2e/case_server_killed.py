"""The sound server dies while the program measures. The device then keeps
the queued buffer for ever; a close request must still end the program with
status 1, once the ring has given the buffer up: the capture time plus the
2 s the ring grants a late buffer plus the 1 s it waits after resetting the
device (plus the process's exit)."""

import time

import menu_keys
from case_support import EXIT_ALLOWANCE_S, capture_s
from clock import now_s
from program import ERROR_CAPTION

QUIT_STATUS = 1
DEFAULT_FFT_SIZE = 2048
RETURN_GRACE_S = 2.0
RESET_GRACE_S = 1.0
SETTLE_AFTER_KILL_S = 1.5
BOX_POLL_S = 0.1
MAX_ERROR_BOXES = 1
WAIT_MARGIN_S = 10.0


def run(session, report):
    session.start_sound()
    program, why = session.launch_measuring("server-killed")
    if not report.check("server killed: the program measures first", program is not None, why):
        return
    session.sound.kill()
    time.sleep(SETTLE_AFTER_KILL_S)
    report.check("server killed: the program survives the loss of its sound server", program.running())

    bound_s = capture_s(DEFAULT_FFT_SIZE) + RETURN_GRACE_S + RESET_GRACE_S + EXIT_ALLOWANCE_S
    requested_s = program.keys(*menu_keys.EXIT)
    # Any "Error" box blocks the program until dismissed: dismiss it as a
    # user would, and do not count the time it stood open.
    boxes_open_s = 0.0
    deadline_s = now_s() + bound_s + WAIT_MARGIN_S
    while program.running() and now_s() < deadline_s:
        if program.window(ERROR_CAPTION, 0):
            opened_s = now_s()
            program.dismiss(ERROR_CAPTION)
            boxes_open_s += now_s() - opened_s
        time.sleep(BOX_POLL_S)
    status = program.watch_exit(0)
    took_s = (program.ended_s - requested_s - boxes_open_s) if status is not None else None
    other_boxes = program.message_boxes()
    ok = status == QUIT_STATUS and took_s is not None and took_s <= bound_s \
        and len(other_boxes) <= MAX_ERROR_BOXES
    report.check("server killed: a close request ends the program with status 1 within %.2f s, "
                 "with at most one Error box" % bound_s, ok,
                 "status %s after %s s; boxes %r" % (
                     status, "-" if took_s is None else "%.2f" % took_s, other_boxes))
