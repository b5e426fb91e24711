"""The soak: the long run (case_long_run) for a given time, with the About
box and minimise / restore among its actions. Prints figures along the way
and at the end (time run, measurements done, memory in the first and the
last third, About boxes seen), then the run's PASS/FAIL lines; boxes shown
are among them. Usage: soak.py EXE WORK_DIR [MINUTES]"""

import signal
import sys
import time

import case_long_run
import menu_keys
from report import Report
from session import Session

DEFAULT_MINUTES = 60
RSS_SAMPLE_S = 10
PRINT_EVERY_SAMPLES = 6
ABOUT_OPEN_S = 1.0


def main(exe, work_dir, minutes):
    signal.signal(signal.SIGTERM, lambda number, frame: sys.exit(128 + number))
    report = Report(work_dir)
    session = Session(exe, work_dir)
    about = {"opened": 0, "closed": 0}
    samples_seen = [0]

    def show_about(program):
        program.keys(*menu_keys.ABOUT)
        if program.window(menu_keys.ABOUT_CAPTION, ABOUT_OPEN_S * 5):
            about["opened"] += 1
            time.sleep(ABOUT_OPEN_S)
            about["closed"] += program.dismiss(menu_keys.ABOUT_CAPTION)

    def progress(seconds, measured, rss_kib):
        samples_seen[0] += 1
        if samples_seen[0] % PRINT_EVERY_SAMPLES == 1:
            print("soak: %5.0f s, %7d measurements, RSS %d KiB" % (seconds, measured, rss_kib), flush=True)

    actions = case_long_run.ACTIONS + (menu_keys.MINIMIZE, menu_keys.RESTORE, show_about)
    try:
        session.open()
        figures = case_long_run.run(session, report, actions=actions, run_s=minutes * 60,
                                    rss_sample_s=RSS_SAMPLE_S, progress=progress)
    finally:
        session.close()
    rounds = figures and figures[0] / (len(actions) * case_long_run.ACTION_SPACING_S)
    report.check("soak: the About box opened and closed in every round",
                 figures is not None and about["opened"] == about["closed"] >= int(rounds),
                 "opened %d, closed %d times in %.1f rounds" % (about["opened"], about["closed"], rounds or 0))
    if figures:
        ran_s, measured, samples = figures
        third = max(1, len(samples) // 3)
        print("soak figures: %.1f min, %d measurements (%.2f/s), peak RSS %d KiB in the first third, "
              "%d KiB in the last" % (ran_s / 60, measured, measured / ran_s,
                                      max(r for _, r in samples[:third]), max(r for _, r in samples[-third:])))
    return 0 if report.summary() else 1


if __name__ == "__main__":
    if len(sys.argv) not in (3, 4):
        sys.exit(__doc__)
    sys.exit(main(sys.argv[1], sys.argv[2], float(sys.argv[3]) if len(sys.argv) == 4 else DEFAULT_MINUTES))
