"""No sound server and no sound card, so no wave input device: the program
says so in its "Error" box and, once that is dismissed, ends with status 1."""

import pytest

from case_support import QUIT_STATUS, Outcomes
from program import ERROR_CAPTION

pytestmark = pytest.mark.release_check

NO_DEVICE_TEXT = "No input device found!"
BOX_TIMEOUT_S = 30
STILL_OPEN_CHECK_S = 1.0
END_AFTER_DISMISSAL_S = 5.0
STEPS = ('an "Error" box says "%s"' % NO_DEVICE_TEXT, "the program waits while the box is open",
         "once the box is dismissed the program ends with status 1, without another box")


@pytest.fixture(scope="module")
def without_device(session):
    outcomes = Outcomes(session.work_dir)
    with session.running("no-device") as program:
        shown = program.wait_for_message_box(NO_DEVICE_TEXT, BOX_TIMEOUT_S)
        box = program.window(ERROR_CAPTION) if shown else None
        if not outcomes.record(STEPS[0], bool(shown and box), "boxes %r, window titled %r: %s" % (
                program.message_boxes(), ERROR_CAPTION, box)):
            return outcomes
        outcomes.record(STEPS[1], program.watch_exit(STILL_OPEN_CHECK_S) is None)
        dismissed = program.dismiss(ERROR_CAPTION)
        status = program.watch_exit(END_AFTER_DISMISSAL_S)
        outcomes.record(STEPS[2], dismissed and status == QUIT_STATUS
                        and program.message_boxes() == [NO_DEVICE_TEXT],
                        "dismissed %s, status %s, boxes %r" % (dismissed, status, program.message_boxes()))
    return outcomes


@pytest.mark.parametrize("step", STEPS, ids=["error-box", "waits-while-open", "ends-after-dismissal"])
def test_without_a_device(without_device, step):
    without_device.judge(step)
