"""Settings kept between runs in the prefix's registry: what is chosen
through the menu (size, window, channels, maximum, the maximised frame) is
stored, and a second start shows it; nonsense stored with `reg add` gives
the first start's defaults and no box; "&Standardeinstellungen" brings the
defaults back and removes what was stored."""

import pytest

import case_support
import menu_keys
import plot_checks
from case_support import QUIT_STATUS, has_colour, lacks_colour, run_scenario
from picture import LEFT_GREEN, RIGHT_RED
from surroundings import LEFT_TONE, RIGHT_TONE, SETTINGS_KEY

END_TIMEOUT_S = 30
CHOSEN_SIZE = 16384
CHOSEN_WINDOW = "off"
DEFAULT_SIZE = 2048
DEFAULT_WINDOW = "hanning"
SCREEN_WIDTH_PX = 1280
# What `reg query` shows after the choices below.
CHOSEN_STORED = {"FftSize": "0x4000", "Weighting": "0x0", "Channels": "0x1",
                 "ShowMaximum": "0x0", "WindowMaximized": "0x1"}
# (value, type, data): each of a wrong type, out of range or no menu value.
NONSENSE = [("FftSize", "REG_DWORD", "3000"), ("Weighting", "REG_SZ", "Blackman"),
            ("Channels", "REG_DWORD", "0"), ("ShowMaximum", "REG_DWORD", "7"),
            ("IntervalMs", "REG_BINARY", "00ff"), ("AutoOffset", "REG_DWORD", "4294967295"),
            ("WindowLeft", "REG_DWORD", "99999"), ("WindowTop", "REG_DWORD", "0"),
            ("WindowRight", "REG_DWORD", "800"), ("WindowBottom", "REG_DWORD", "600"),
            ("WindowMaximized", "REG_DWORD", "1")]

REMEMBERED_STEPS = ("the choices are made through the menu", "Beenden ends it with status 1",
                    "the registry holds the choices", "the second start shows the same settings",
                    "Standardeinstellungen shows the defaults and forgets the stored values",
                    "the second run ends with status 1")
NONSENSE_STEPS = ("a start over nonsense values measures without a box",
                  "it shows the defaults", "it ends with status 1")


@pytest.fixture(scope="module")
def remembered(tones):
    return run_scenario(tones, _remember)


@pytest.fixture(scope="module")
def over_nonsense(tones):
    return run_scenario(tones, _start_over_nonsense)


@pytest.mark.parametrize("step", REMEMBERED_STEPS, ids=["chosen", "ends", "stored", "shown-again",
                                                        "defaults-back", "ends-again"])
def test_settings_are_remembered(remembered, step):
    remembered.judge(step)


@pytest.mark.parametrize("step", NONSENSE_STEPS, ids=["no-box", "defaults", "ends"])
def test_nonsense_stored_gives_the_defaults(over_nonsense, step):
    over_nonsense.judge(step)


def _shows(plot, size, window, right_shown):
    """(ok, detail): the left trace at the tone's column and level for this
    size and window, the right one shown or not."""
    ok, detail = plot_checks.peak_matches_tone(plot, LEFT_GREEN, *LEFT_TONE, size, window)
    if right_shown:
        right_ok, right_detail = plot_checks.peak_matches_tone(plot, RIGHT_RED, *RIGHT_TONE,
                                                               size, window)
        return ok and right_ok, "left: %s; right: %s" % (detail, right_detail)
    return ok and lacks_colour(RIGHT_RED)(plot), "left: %s; right trace drawn: %s" % (
        detail, not lacks_colour(RIGHT_RED)(plot))


def _ends(program, outcomes, step):
    program.keys(*menu_keys.EXIT)
    status = program.wait_exit(END_TIMEOUT_S)
    return outcomes.record(step, status == QUIT_STATUS, "exit status %s" % status)


def _remember(session, outcomes):
    program, why = session.launch_measuring("settings-chosen")
    if not outcomes.record(REMEMBERED_STEPS[0], program is not None, why):
        return
    for keys in (menu_keys.CHANNEL_LEFT, menu_keys.SHOW_MAXIMUM, menu_keys.WINDOW_OFF,
                 menu_keys.SIZE_16384, menu_keys.MAXIMIZE):
        program.keys(*keys)
    if not outcomes.record(REMEMBERED_STEPS[0], program.running() and not program.message_boxes(),
                           "boxes: %r" % program.message_boxes()):
        return
    if not _ends(program, outcomes, REMEMBERED_STEPS[1]):
        return
    stored = session.prefix.query(SETTINGS_KEY)
    found = {name: stored.get(name) for name in CHOSEN_STORED}
    outcomes.record(REMEMBERED_STEPS[2], found == CHOSEN_STORED, "stored: %r" % stored)

    program, why = session.launch_measuring("settings-again", keep_settings=True)
    if not outcomes.record(REMEMBERED_STEPS[3], program is not None, why):
        return
    case_support.settle(program)
    plot = case_support.plot_when(program, lambda p: has_colour(LEFT_GREEN)(p)
                                  and lacks_colour(RIGHT_RED)(p))
    ok, detail = _shows(plot, CHOSEN_SIZE, CHOSEN_WINDOW, right_shown=False) if plot else (
        False, "no screenshot")
    maximised = plot is not None and plot.picture.width >= SCREEN_WIDTH_PX
    outcomes.record(REMEMBERED_STEPS[3], ok and maximised, "%s; frame %s pixels wide" % (
        detail, plot and plot.picture.width), plot and plot.picture)

    program.keys(*menu_keys.RESTORE_DEFAULTS)
    case_support.settle(program)
    plot = case_support.plot_when(program, has_colour(LEFT_GREEN, RIGHT_RED))
    ok, detail = _shows(plot, DEFAULT_SIZE, DEFAULT_WINDOW, right_shown=True) if plot else (
        False, "no screenshot")
    stored = session.prefix.query(SETTINGS_KEY)
    outcomes.record(REMEMBERED_STEPS[4], ok and not stored, "%s; stored: %r" % (detail, stored),
                    plot and plot.picture)
    _ends(program, outcomes, REMEMBERED_STEPS[5])


def _start_over_nonsense(session, outcomes):
    session.prefix.forget_settings()
    for name, kind, data in NONSENSE:
        session.prefix.add_value(SETTINGS_KEY, name, data, kind)
    program, why = session.launch_measuring("settings-nonsense", keep_settings=True)
    if not outcomes.record(NONSENSE_STEPS[0], program is not None, why):
        return
    plot = case_support.plot_when(program, has_colour(LEFT_GREEN, RIGHT_RED))
    ok, detail = _shows(plot, DEFAULT_SIZE, DEFAULT_WINDOW, right_shown=True) if plot else (
        False, "no screenshot")
    outcomes.record(NONSENSE_STEPS[1], ok, detail, plot and plot.picture)
    _ends(program, outcomes, NONSENSE_STEPS[2])
