"""A close request, then a menu held open until the outstanding capture has
come back: once the menu is closed, the program must still end with status 1.
(Under Wine the menu's own message loop takes a quit message posted while it
runs and drops it; the program must not depend on the first one.)"""

import time

import pytest

import menu_keys
from case_support import (EXIT_ALLOWANCE_S, LARGEST_FFT_SIZE, QUIT_STATUS, WAIT_MARGIN_S,
                          capture_s, run_scenario, switch_to_largest_size)
from clock import wait_until

MENU_HELD_AFTER_RETURN_S = 1.0
CLOSE_MENU = ("Escape", "Escape")
STEPS = ("the program measures", "after the menu is closed the program ends with status 1 in time")


@pytest.fixture(scope="module")
def quit_during_menu(tones):
    return run_scenario(tones, _quit_during_menu)


@pytest.mark.parametrize("step", STEPS, ids=["measures", "ends-after-menu"])
def test_quit_during_a_menu(quit_during_menu, step):
    quit_during_menu.judge(step)


def _quit_during_menu(session, outcomes):
    program, why = session.launch_measuring("quit-during-menu")
    if not outcomes.record(STEPS[0], program is not None, why):
        return
    switch_to_largest_size(program)
    returned_count = len(program.captures_returned())
    program.keys(*menu_keys.EXIT)
    program.keys("alt+a")  # &Ansicht stays open
    came_back = wait_until(lambda: len(program.captures_returned()) > returned_count,
                           capture_s(LARGEST_FFT_SIZE) + WAIT_MARGIN_S)
    time.sleep(MENU_HELD_AFTER_RETURN_S)
    closed_s = program.keys(*CLOSE_MENU)
    status = program.watch_exit(EXIT_ALLOWANCE_S + WAIT_MARGIN_S)
    took_s = program.ended_s - closed_s if status is not None else None
    detail = "capture came back: %s; status %s after %s s (at most %.1f s)" % (
        bool(came_back), status, "-" if took_s is None else "%.2f" % took_s, EXIT_ALLOWANCE_S)
    if status is None:
        # What a user would do next, for whoever reads the failure.
        retried_s = program.keys(*menu_keys.EXIT)
        again = program.watch_exit(EXIT_ALLOWANCE_S + WAIT_MARGIN_S)
        detail += "; a second &Beenden: status %s%s" % (
            again, "" if again is None else " after %.2f s" % (program.ended_s - retried_s))
    outcomes.record(STEPS[1], bool(came_back) and status == QUIT_STATUS and took_s <= EXIT_ALLOWANCE_S,
                    detail)
