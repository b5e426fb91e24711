"""The headless run (scripts/demo.sh): in a private Xvfb, with a private
sound server playing the test tones and a throw-away Wine prefix, it starts
the program, dismisses an "Info" box should one name the device, lets it
measure, writes a screenshot of the window, closes the program through its
menu ("&Programm" > "&Beenden") and reports the exit status. Everything it
started is ended again. Exits with 0 after the program's normal end (status
1), otherwise with the program's status, or 1 when something failed.
Each NAME=NUMBER is stored as a setting (REG_DWORD under the program's key)
before the start, e.g. ShowPeaks=1; without any, the first start's settings.

Usage: demo.py EXE SCREENSHOT [NAME=NUMBER ...]"""

import os
import shutil
import signal
import sys
import tempfile
import time

import menu_keys
from clock import wait_until
from program import FRAME_TITLE, INFO_CAPTION
from session import Session
from surroundings import SETTINGS_KEY

NORMAL_EXIT_STATUS = 1
START_TIMEOUT_S = 30
MEASURE_S = 4
END_TIMEOUT_S = 30


def main(exe, screenshot, stored):
    signal.signal(signal.SIGTERM, lambda number, frame: sys.exit(128 + number))
    work_dir = tempfile.mkdtemp(prefix="frelox-demo-")
    try:
        print("setting up a Wine prefix (a few seconds) ...", flush=True)
        with Session(exe, work_dir) as session, session.sound():
            print("running %s under %s" % (exe, session.prefix.loader), flush=True)
            for name, number in stored:
                session.prefix.add_value(SETTINGS_KEY, name, number, "REG_DWORD")
            return show(session.launch("demo", keep_settings=True), screenshot)
    finally:
        shutil.rmtree(work_dir, ignore_errors=True)


def show(program, screenshot):
    # The private sound server is Wine's only input device here, so the
    # program opens it without a word; with several it first names device 0
    # in an "Info" box, and an "Error" box means it found none.
    wait_until(lambda: program.window(FRAME_TITLE, 0) or program.message_boxes(), START_TIMEOUT_S)
    boxes = program.message_boxes()
    if boxes and program.window(INFO_CAPTION, 1):
        print("%s (Info box, dismissed)" % boxes[0])
        program.dismiss(INFO_CAPTION)
    elif boxes:
        print("Frelox reports: %s" % boxes[0], file=sys.stderr)
        return 1
    if not program.window(FRAME_TITLE, START_TIMEOUT_S):
        print("the Frelox window did not appear", file=sys.stderr)
        return 1
    time.sleep(MEASURE_S)
    os.makedirs(os.path.dirname(os.path.abspath(screenshot)), exist_ok=True)
    picture = program.screenshot()
    if picture is None:
        print("no screenshot of the Frelox window", file=sys.stderr)
        return 1
    picture.save_png(screenshot)
    print("screenshot: %s" % screenshot)
    program.keys(*menu_keys.EXIT)
    status = program.wait_exit(END_TIMEOUT_S)
    if status is None:
        print("Frelox did not end after Programm > Beenden", file=sys.stderr)
        return 1
    print("Frelox ended with exit status %d" % status)
    return 0 if status == NORMAL_EXIT_STATUS else status


if __name__ == "__main__":
    settings = [argument.partition("=")[::2] for argument in sys.argv[3:]]
    if len(sys.argv) < 3 or any(not name or not number.isdigit() for name, number in settings):
        sys.exit(__doc__)
    sys.exit(main(sys.argv[1], sys.argv[2], settings))
