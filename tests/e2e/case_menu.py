"""The menu, used by keyboard as a person would: channels, maximum drawing,
weighting window and transform size change the picture as they should."""

import case_support
import menu_keys
import plot_checks
from case_support import has_colour, lacks_colour
from picture import LEFT_GREEN, RIGHT_RED
from sound_server import LEFT_TONE
from tone_model import expected_peak

DEFAULT_FFT_SIZE = 2048
LARGER_FFT_SIZE = 16384
# Several plots in a row, more than a measurement cycle apart, so that one
# picture caught in the middle of a drawing cannot decide a check.
PLOTS_PER_STATE = 3
DENSE_FROM_HZ = 10000.0            # where several lines share each column
MIN_DENSE_PIXEL_RATIO = 1.5        # more vertices with the maximum off
WIDTH_DROP_DB = 30.0               # peak width measured this far below the top
MAX_WIDTH_RATIO = 0.5              # 8 times the points: at most half the width
WINDOW_RAISE_TOLERANCE_DB = 1.0


def run(session, report):
    session.start_sound()
    program, why = session.launch_measuring("menu")
    if not report.check("menu: the program starts measuring", program is not None, why):
        return
    _channels(program, report)
    _maximum(program, report)
    _window(program, report)
    _size(program, report)


def _only(program, shown, hidden):
    """Whether every one of several plots shows `shown` and not `hidden`;
    with the last plot taken."""
    case_support.plot_when(program, lambda p: has_colour(shown)(p) and lacks_colour(hidden)(p))
    taken = case_support.plots(program, PLOTS_PER_STATE)
    ok = len(taken) == PLOTS_PER_STATE and all(
        has_colour(shown)(p) and lacks_colour(hidden)(p) for p in taken)
    return ok, taken[-1] if taken else None


def _channels(program, report):
    for name, keys, shown, hidden in (
            ("&Links leaves only the green trace", menu_keys.CHANNEL_LEFT, LEFT_GREEN, RIGHT_RED),
            ("&Rechts leaves only the red trace", menu_keys.CHANNEL_RIGHT, RIGHT_RED, LEFT_GREEN)):
        program.keys(*keys)
        ok, plot = _only(program, shown, hidden)
        report.check("menu: " + name, ok, "", plot and plot.picture)
    program.keys(*menu_keys.CHANNEL_BOTH)
    plot = case_support.plot_when(program, has_colour(LEFT_GREEN, RIGHT_RED))
    taken = case_support.plots(program, PLOTS_PER_STATE)
    report.check("menu: &Beide shows both traces again",
                 all(has_colour(LEFT_GREEN, RIGHT_RED)(p) for p in taken) and len(taken) > 0,
                 "", plot and plot.picture)


def _dense_green_pixels(program):
    """Green pixels right of DENSE_FROM_HZ, averaged over several plots."""
    taken = case_support.plots(program, PLOTS_PER_STATE)
    counts = [p.count_in_view(LEFT_GREEN, min(p.geometry.freq_to_x(DENSE_FROM_HZ))) for p in taken]
    return (sum(counts) / len(counts) if counts else 0), (taken[-1] if taken else None)


def _maximum(program, report):
    program.keys(*menu_keys.CHANNEL_LEFT)
    case_support.plot_when(program, lacks_colour(RIGHT_RED))
    with_maximum, _ = _dense_green_pixels(program)
    program.keys(*menu_keys.SHOW_MAXIMUM)
    case_support.settle(program, 2)
    without_maximum, plot = _dense_green_pixels(program)
    program.keys(*menu_keys.SHOW_MAXIMUM)
    program.keys(*menu_keys.CHANNEL_BOTH)
    ratio = without_maximum / with_maximum if with_maximum else 0
    report.check("menu: &Maximum anzeigen off draws every line (more green where lines share columns)",
                 ratio >= MIN_DENSE_PIXEL_RATIO,
                 "green pixels above %g Hz: %.0f with the maximum, %.0f without (ratio %.2f, at least %.2f)"
                 % (DENSE_FROM_HZ, with_maximum, without_maximum, ratio, MIN_DENSE_PIXEL_RATIO),
                 plot and plot.picture)


def _peak_level(program, colour):
    """The highest level of the colour's trace, as the median of several plots."""
    taken = case_support.plots(program, PLOTS_PER_STATE)
    levels = sorted(p.level_of_row(p.peak(colour)[1]) for p in taken if p.peak(colour))
    return (levels[len(levels) // 2] if levels else None), (taken[-1] if taken else None)


def _window(program, report):
    case_support.settle(program)
    hanning_db, _ = _peak_level(program, LEFT_GREEN)
    program.keys(*menu_keys.WINDOW_OFF)
    case_support.settle(program)
    off_db, plot = _peak_level(program, LEFT_GREEN)
    program.keys(*menu_keys.WINDOW_HANNING)
    frequency, amplitude = LEFT_TONE
    expected_raise = (expected_peak(frequency, amplitude, DEFAULT_FFT_SIZE, "off")[1]
                      - expected_peak(frequency, amplitude, DEFAULT_FFT_SIZE, "hanning")[1])
    ok = hanning_db is not None and off_db is not None and \
        abs((off_db - hanning_db) - expected_raise) <= WINDOW_RAISE_TOLERANCE_DB
    report.check("menu: window &Aus raises the peak by the Hanning window's gain", ok,
                 "peak %s dB with Hanning, %s dB with the window off; expected raise %.1f dB "
                 "(6.0 dB less the difference in scalloping loss at this tone)"
                 % (_db(hanning_db), _db(off_db), expected_raise), plot and plot.picture)


def _peak_width(program, colour):
    taken = case_support.plots(program, PLOTS_PER_STATE)
    widths = sorted(p.width_above(colour, p.peak(colour)[0], WIDTH_DROP_DB) for p in taken if p.peak(colour))
    return (widths[len(widths) // 2] if widths else None), (taken[-1] if taken else None)


def _size(program, report):
    case_support.settle(program)
    width_2048, _ = _peak_width(program, LEFT_GREEN)
    program.keys(*menu_keys.SIZE_16384)
    case_support.settle(program)
    width_16384, plot = _peak_width(program, LEFT_GREEN)
    program.keys(*menu_keys.SIZE_2048)
    ok = width_2048 is not None and width_16384 is not None and \
        width_16384 <= MAX_WIDTH_RATIO * width_2048
    report.check("menu: 1&6384 Punkte narrows the peak", ok,
                 "columns within %g dB of the top: %s at 2048 points, %s at 16384"
                 % (WIDTH_DROP_DB, width_2048, width_16384), plot and plot.picture)
    if plot is None:
        return
    frequency, amplitude = LEFT_TONE
    ok, detail = plot_checks.peak_matches_tone(plot, LEFT_GREEN, frequency, amplitude,
                                               LARGER_FFT_SIZE, "hanning")
    report.check("menu: at 16384 points the green peak keeps the tone's column and level",
                 ok, detail, plot.picture)


def _db(value):
    return "none" if value is None else "%.1f" % value
