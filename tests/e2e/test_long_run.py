"""A long run at 20 measurements per second and 1024 points, with the
window resized, minimised and restored, menu commands given and the About box
opened and closed throughout: the program keeps measuring, shows no other box,
keeps its memory flat, still draws a correct spectrum at the end, and ends
with status 1. Two rounds of its actions by default; the soak
(scripts/soak.sh) is the same run for longer (--long-run-minutes), printing
its figures as it goes (with -s)."""

import time

import pytest

import case_support
import menu_keys
import plot_checks
from case_support import QUIT_STATUS, Outcomes, request_to_end_bound_s
from clock import now_s
from picture import LEFT_GREEN, RIGHT_RED
from surroundings import LEFT_TONE, RIGHT_TONE
from test_tones import QUIET_BELOW_DB, QUIET_FROM_HZ, QUIET_TO_HZ

ROUNDS = 2
ACTION_SPACING_S = 2.5
WARM_UP_S = 10
RSS_SAMPLE_S = 0.5
SOAK_RSS_SAMPLE_S = 10
PRINT_EVERY_SAMPLES = 6
ABOUT_OPEN_S = 1.0
MAX_RSS_GROWTH_KIB = 4 * 1024
FFT_SIZE = 1024
INTERVAL_S = 0.05
MIN_MEASUREMENTS_PER_S = 5.0

# The window's size through its system menu: Wine's own keyboard sizing
# (the first arrow picks the edge, the following ones move it) and
# maximise / restore.
_SIZE = ("alt+space", "s")
WIDER = _SIZE + ("Right",) * 7 + ("Return",)
NARROWER = _SIZE + ("Right",) + ("Left",) * 6 + ("Return",)
TALLER = _SIZE + ("Down",) * 7 + ("Return",)
LOWER = _SIZE + ("Down",) + ("Up",) * 6 + ("Return",)

ACTIONS = (
    menu_keys.CHANNEL_LEFT, WIDER, menu_keys.CHANNEL_RIGHT, menu_keys.MAXIMIZE,
    menu_keys.CHANNEL_BOTH, menu_keys.RESTORE, menu_keys.SHOW_MAXIMUM, TALLER,
    menu_keys.SHOW_MAXIMUM, menu_keys.WINDOW_OFF, NARROWER, menu_keys.WINDOW_TRIANGLE,
    menu_keys.WINDOW_WELCH, LOWER, menu_keys.WINDOW_HAMMING, menu_keys.WINDOW_BLACKMAN,
    menu_keys.MAXIMIZE, menu_keys.WINDOW_PARZEN, menu_keys.RESTORE, menu_keys.WINDOW_HANNING,
    menu_keys.AUTO_OFFSET, menu_keys.AUTO_OFFSET, menu_keys.MINIMIZE, menu_keys.RESTORE, "about",
)
# What the actions leave behind after every full round: both channels,
# maximum on, Hanning, offset correction on, the window restored, no About
# box. (About 125 s in all.)
RUN_S = ROUNDS * len(ACTIONS) * ACTION_SPACING_S
STEPS = ("the program starts measuring", "no crash and no message box in the run",
         "it keeps measuring (at 20 Messungen/s and 1024 points)", "memory stays flat",
         "a screenshot after the run",
         "afterwards, maximised, both peaks, the quiet band and the grid are as they belong",
         "&Beenden then ends it with status 1 within a cycle",
         "the About box opened and closed in every round")


@pytest.fixture(scope="module")
def long_run(tones, pytestconfig):
    minutes = pytestconfig.getoption("long_run_minutes")
    outcomes = Outcomes(tones.work_dir)
    if minutes is None:
        run(tones, outcomes)
    else:
        run(tones, outcomes, minutes * 60, SOAK_RSS_SAMPLE_S, _print_progress)
    return outcomes


@pytest.mark.parametrize("step", STEPS, ids=["measures", "no-crash-no-box", "keeps-measuring",
                                             "memory-flat", "screenshot", "final-picture",
                                             "ends", "about-box"])
def test_long_run(long_run, step):
    long_run.judge(step)


def _print_progress(seconds, measured, rss_kib, sample):
    if sample % PRINT_EVERY_SAMPLES == 0:
        print("long run: %5.0f s, %7d measurements, RSS %d KiB" % (seconds, measured, rss_kib), flush=True)


def run(session, outcomes, run_s=RUN_S, rss_sample_s=RSS_SAMPLE_S, progress=None):
    """The whole run, its steps recorded in outcomes. progress(seconds,
    measurements, rss, sample number) is called at every RSS sample."""
    program, why = session.launch_measuring("long-run")
    if not outcomes.record(STEPS[0], program is not None, why):
        return
    about = {"opened": 0, "closed": 0}

    def show_about():
        program.keys(*menu_keys.ABOUT)
        if program.window(menu_keys.ABOUT_CAPTION, ABOUT_OPEN_S * 5):
            about["opened"] += 1
            time.sleep(ABOUT_OPEN_S)
            about["closed"] += program.dismiss(menu_keys.ABOUT_CAPTION)

    program.keys(*menu_keys.SIZE_1024)
    program.keys(*menu_keys.RATE_20)
    case_support.settle(program)

    started_s = now_s()
    first_capture = len(program.captures_queued())
    samples = []   # (seconds since start, RSS in KiB)
    next_action_s = started_s
    next_sample_s = started_s
    action = 0
    while (now_s() < started_s + run_s or action % len(ACTIONS)) and program.running():
        if now_s() >= next_action_s:
            step = ACTIONS[action % len(ACTIONS)]
            show_about() if step == "about" else program.keys(*step)
            action += 1
            next_action_s += ACTION_SPACING_S
        if now_s() >= next_sample_s:
            rss = program.rss_kib()
            if rss is not None:
                samples.append((now_s() - started_s, rss))
                if progress:
                    progress(now_s() - started_s, len(program.captures_queued()) - first_capture, rss,
                             len(samples) - 1)
            next_sample_s += rss_sample_s
        time.sleep(RSS_SAMPLE_S)
    ran_s = now_s() - started_s
    measured = len(program.captures_queued()) - first_capture

    rounds = action / len(ACTIONS)
    outcomes.record(STEPS[7], about["opened"] == about["closed"] >= int(rounds),
                    "opened %d, closed %d times in %.1f rounds" % (about["opened"], about["closed"], rounds))
    # The About box is a dialog of the program's own, not a message box.
    outcomes.record(STEPS[1], program.running() and program.message_boxes() == [],
                    "%d commands and resizes; running %s after %.0f s; boxes %r"
                    % (action, program.running(), ran_s, program.message_boxes()))
    if not program.running():
        return
    rate = measured / ran_s
    outcomes.record(STEPS[2], rate >= MIN_MEASUREMENTS_PER_S, "%.1f measurements per second" % rate)
    _memory_flat(outcomes, samples)
    _final_picture(program, outcomes)
    third = max(1, len(samples) // 3)
    if samples:
        print("long run figures: %.1f min, %d measurements (%.2f/s), peak RSS %d KiB in the first third, "
              "%d KiB in the last" % (ran_s / 60, measured, rate, max(r for _, r in samples[:third]),
                                      max(r for _, r in samples[-third:])), flush=True)

    requested_s = program.keys(*menu_keys.EXIT)
    bound_s = request_to_end_bound_s(FFT_SIZE, INTERVAL_S)
    status = program.watch_exit(bound_s + 10)
    took_s = program.ended_s - requested_s if status is not None else None
    outcomes.record(STEPS[6], status == QUIT_STATUS and took_s <= bound_s,
                    "status %s after %s s (at most %.2f s)" % (
                        status, "-" if took_s is None else "%.2f" % took_s, bound_s))


def _memory_flat(outcomes, samples):
    settled = [rss for seconds, rss in samples if seconds >= WARM_UP_S]
    third = len(settled) // 3
    if third == 0:
        outcomes.record(STEPS[3], False, "too few samples: %d" % len(settled))
        return
    first_max, last_max = max(settled[:third]), max(settled[-third:])
    outcomes.record(STEPS[3], last_max <= first_max + MAX_RSS_GROWTH_KIB,
                    "peak RSS %d KiB in the first third, %d KiB in the last (%d samples; at most %d KiB more)"
                    % (first_max, last_max, len(settled), MAX_RSS_GROWTH_KIB))


def _final_picture(program, outcomes):
    """Maximised (its client area then lies wholly on the screen), the
    spectrum is still right at the new size."""
    program.keys(*menu_keys.MAXIMIZE)
    case_support.settle(program)
    plot = case_support.plot_when(program, case_support.has_colour(LEFT_GREEN, RIGHT_RED))
    if not outcomes.record(STEPS[4], plot is not None):
        return
    checks = [plot_checks.peak_matches_tone(plot, LEFT_GREEN, *LEFT_TONE, FFT_SIZE, "hanning"),
              plot_checks.peak_matches_tone(plot, RIGHT_RED, *RIGHT_TONE, FFT_SIZE, "hanning"),
              plot_checks.quiet_between(plot, LEFT_GREEN, QUIET_FROM_HZ, QUIET_TO_HZ, QUIET_BELOW_DB),
              plot_checks.quiet_between(plot, RIGHT_RED, QUIET_FROM_HZ, QUIET_TO_HZ, QUIET_BELOW_DB),
              plot_checks.grid_where_expected(plot)]
    outcomes.record(STEPS[5], all(ok for ok, _ in checks),
                    "view %dx%d; %s" % (plot.geometry.width, plot.geometry.height,
                                        "; ".join(detail for _, detail in checks)), plot.picture)
