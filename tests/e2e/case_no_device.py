"""No sound server and no sound card, so no wave input device: the program
says so in its "Error" box and, once that is dismissed, ends with status 1."""

from program import ERROR_CAPTION

NO_DEVICE_TEXT = "No input device found!"
QUIT_STATUS = 1
BOX_TIMEOUT_S = 30
STILL_OPEN_CHECK_S = 1.0
END_AFTER_DISMISSAL_S = 5.0


def run(session, report):
    program = session.launch("no-device")
    shown = program.wait_for_message_box(NO_DEVICE_TEXT, BOX_TIMEOUT_S)
    box = program.window(ERROR_CAPTION) if shown else None
    report.check('no device: an "Error" box says "%s"' % NO_DEVICE_TEXT, bool(shown and box),
                 "boxes %r, window titled %r: %s" % (program.message_boxes(), ERROR_CAPTION, box))
    if not box:
        return
    waiting = program.watch_exit(STILL_OPEN_CHECK_S) is None
    report.check("no device: the program waits while the box is open", waiting)
    dismissed = program.dismiss(ERROR_CAPTION)
    status = program.watch_exit(END_AFTER_DISMISSAL_S)
    report.check("no device: once the box is dismissed the program ends with status 1, without another box",
                 dismissed and status == QUIT_STATUS and program.message_boxes() == [NO_DEVICE_TEXT],
                 "dismissed %s, status %s, boxes %r" % (dismissed, status, program.message_boxes()))
