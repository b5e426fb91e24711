"""A close request, then a menu held open until the outstanding capture has
come back: once the menu is closed, the program must still end with status 1.
(Under Wine the menu's own message loop takes a quit message posted while it
runs and drops it; the program must not depend on the first one.)"""

import time

import menu_keys
from case_closing import LARGEST_FFT_SIZE, QUIT_STATUS, QUEUE_POLL_S, WAIT_MARGIN_S
from case_support import EXIT_ALLOWANCE_S, capture_s
from clock import wait_until

MENU_HELD_AFTER_RETURN_S = 1.0
CLOSE_MENU = ("Escape", "Escape")


def run(session, report):
    session.start_sound()
    program, why = session.launch_measuring("quit-during-menu")
    if not report.check("quit during a menu: the program measures", program is not None, why):
        return
    program.keys(*menu_keys.SIZE_262144)
    queued_count = len(program.captures_queued())
    wait_until(lambda: len(program.captures_queued()) >= queued_count + 2,
               capture_s(LARGEST_FFT_SIZE) + WAIT_MARGIN_S, QUEUE_POLL_S)
    returned_count = len(program.captures_returned())
    program.keys(*menu_keys.EXIT)
    program.keys("alt+a")  # &Ansicht stays open
    came_back = wait_until(lambda: len(program.captures_returned()) > returned_count,
                           capture_s(LARGEST_FFT_SIZE) + WAIT_MARGIN_S)
    time.sleep(MENU_HELD_AFTER_RETURN_S)
    closed_s = program.keys(*CLOSE_MENU)
    status = program.watch_exit(EXIT_ALLOWANCE_S + WAIT_MARGIN_S)
    took_s = program.ended_s - closed_s if status is not None else None
    report.check("quit during a menu: after the menu is closed the program ends with status 1 "
                 "within %.1f s" % EXIT_ALLOWANCE_S,
                 bool(came_back) and status == QUIT_STATUS and took_s <= EXIT_ALLOWANCE_S,
                 "capture came back: %s; status %s after %s s" % (
                     bool(came_back), status, "-" if took_s is None else "%.2f" % took_s))
    if status is None:
        retried_s = program.keys(*menu_keys.EXIT)
        status = program.watch_exit(EXIT_ALLOWANCE_S + WAIT_MARGIN_S)
        report.check("quit during a menu: a second &Beenden ends it then", status == QUIT_STATUS,
                     "status %s %s" % (status, "" if status is None else
                                       "after %.2f s" % (program.ended_s - retried_s)))
