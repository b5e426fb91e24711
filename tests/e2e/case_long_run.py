"""A long run at 20 measurements per second and 1024 points, with the window
resized and menu commands given throughout: the program keeps measuring,
shows no box, keeps its memory flat, still draws a correct spectrum at the
end, and ends with status 1. The soak (soak.py) is the same run, longer and
with the About box and minimising among the actions."""

import time

import case_support
import menu_keys
import plot_checks
from case_closing import QUIT_STATUS, request_to_end_bound_s
from case_tones import QUIET_BELOW_DB, QUIET_FROM_HZ, QUIET_TO_HZ
from clock import now_s
from picture import LEFT_GREEN, RIGHT_RED
from sound_server import LEFT_TONE, RIGHT_TONE

ROUNDS = 2
ACTION_SPACING_S = 2.5
WARM_UP_S = 10
RSS_SAMPLE_S = 0.5
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
    menu_keys.AUTO_OFFSET, menu_keys.AUTO_OFFSET,
)
# What the actions leave behind after every full round: both channels,
# maximum on, Hanning, offset correction on, the window restored. (About
# 110 s in all.)
RUN_S = ROUNDS * len(ACTIONS) * ACTION_SPACING_S


def run(session, report, actions=ACTIONS, run_s=RUN_S, rss_sample_s=RSS_SAMPLE_S, progress=None):
    """The whole run; returns (seconds run, measurements, RSS samples) or None.
    progress(seconds, measurements, rss) is called at every RSS sample."""
    session.start_sound()
    program, why = session.launch_measuring("long-run")
    if not report.check("long run: the program starts measuring", program is not None, why):
        return None
    program.keys(*menu_keys.SIZE_1024)
    program.keys(*menu_keys.RATE_20)
    case_support.settle(program)

    started_s = now_s()
    first_capture = len(program.captures_queued())
    samples = []   # (seconds since start, RSS in KiB)
    next_action_s = started_s
    next_sample_s = started_s
    action = 0
    while (now_s() < started_s + run_s or action % len(actions)) and program.running():
        if now_s() >= next_action_s:
            step = actions[action % len(actions)]
            step(program) if callable(step) else program.keys(*step)
            action += 1
            next_action_s += ACTION_SPACING_S
        if now_s() >= next_sample_s:
            rss = program.rss_kib()
            if rss is not None:
                samples.append((now_s() - started_s, rss))
                if progress:
                    progress(now_s() - started_s, len(program.captures_queued()) - first_capture, rss)
            next_sample_s += rss_sample_s
        time.sleep(RSS_SAMPLE_S)
    ran_s = now_s() - started_s
    measured = len(program.captures_queued()) - first_capture

    report.check("long run: no crash and no box in %.0f s with %d commands and resizes" % (ran_s, action),
                 program.running() and program.message_boxes() == [],
                 "running %s after %.0f s; boxes %r" % (program.running(), ran_s, program.message_boxes()))
    if not program.running():
        return None
    rate = measured / ran_s
    report.check("long run: it keeps measuring (at 20 Messungen/s and 1024 points)",
                 rate >= MIN_MEASUREMENTS_PER_S, "%.1f measurements per second" % rate)
    _memory_flat(report, samples)
    _final_picture(program, report)

    requested_s = program.keys(*menu_keys.EXIT)
    bound_s = request_to_end_bound_s(FFT_SIZE, INTERVAL_S)
    status = program.watch_exit(bound_s + 10)
    took_s = program.ended_s - requested_s if status is not None else None
    report.check("long run: &Beenden then ends it with status 1 within %.2f s" % bound_s,
                 status == QUIT_STATUS and took_s <= bound_s,
                 "status %s after %s s" % (status, "-" if took_s is None else "%.2f" % took_s))
    return ran_s, measured, samples


def _memory_flat(report, samples):
    settled = [rss for seconds, rss in samples if seconds >= WARM_UP_S]
    third = len(settled) // 3
    if third == 0:
        report.check("long run: memory stays flat", False, "too few samples: %d" % len(settled))
        return
    first_max, last_max = max(settled[:third]), max(settled[-third:])
    report.check("long run: memory stays flat (last third's peak RSS at most %d KiB above the first's)"
                 % MAX_RSS_GROWTH_KIB, last_max <= first_max + MAX_RSS_GROWTH_KIB,
                 "peak RSS %d KiB in the first third, %d KiB in the last (%d samples)"
                 % (first_max, last_max, len(settled)))


def _final_picture(program, report):
    """Maximised (its client area then lies wholly on the screen), the
    spectrum is still right at the new size."""
    program.keys(*menu_keys.MAXIMIZE)
    case_support.settle(program)
    plot = case_support.plot_when(program, case_support.has_colour(LEFT_GREEN, RIGHT_RED))
    if not report.check("long run: a screenshot after the run", plot is not None):
        return
    checks = [plot_checks.peak_matches_tone(plot, LEFT_GREEN, *LEFT_TONE, FFT_SIZE, "hanning"),
              plot_checks.peak_matches_tone(plot, RIGHT_RED, *RIGHT_TONE, FFT_SIZE, "hanning"),
              plot_checks.quiet_between(plot, LEFT_GREEN, QUIET_FROM_HZ, QUIET_TO_HZ, QUIET_BELOW_DB),
              plot_checks.quiet_between(plot, RIGHT_RED, QUIET_FROM_HZ, QUIET_TO_HZ, QUIET_BELOW_DB),
              plot_checks.grid_where_expected(plot)]
    report.check("long run: afterwards, maximised, both peaks, the quiet band and the grid are as they belong",
                 all(ok for ok, _ in checks),
                 "view %dx%d; %s" % (plot.geometry.width, plot.geometry.height,
                                     "; ".join(detail for _, detail in checks)), plot.picture)
