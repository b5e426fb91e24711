"""Runs the end-to-end cases against the real program under Wine, with a
private X server and sound server, and prints one PASS/FAIL line per check
and a closing count. Usage: run_e2e.py EXE WORK_DIR [CASE ...]"""

import signal
import sys
import traceback

import case_closing
import case_long_run
import case_menu
import case_no_device
import case_quit_during_menu
import case_server_killed
import case_tones
from report import Report
from session import Session

CASES = {
    "spectrum": case_tones.run,
    "menu": case_menu.run,
    "closing": case_closing.run,
    "no-device": case_no_device.run,
    "server-killed": case_server_killed.run,
    "quit-during-menu": case_quit_during_menu.run,
    "long-run": case_long_run.run,
}


def main(exe, work_dir, names):
    # Ended from outside, still end every process started here.
    signal.signal(signal.SIGTERM, lambda number, frame: sys.exit(128 + number))
    report = Report(work_dir)
    session = Session(exe, work_dir)
    try:
        session.open()
        for name in names or CASES:
            try:
                CASES[name](session, report)
            except Exception:  # one broken case must not hide the others
                report.check("%s: runs to its end" % name, False, traceback.format_exc().strip())
            finally:
                session.end_case()
    except Exception:
        report.check("e2e surroundings (Xvfb, Wine prefix)", False, traceback.format_exc().strip())
    finally:
        session.close()
    return 0 if report.summary() else 1


if __name__ == "__main__":
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    sys.exit(main(sys.argv[1], sys.argv[2], sys.argv[3:]))
