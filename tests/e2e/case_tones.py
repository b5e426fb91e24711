"""Tones of known frequency and amplitude on each channel, off the 100 Hz
grid: at two transform sizes and two measurement rates each trace peaks at
its tone's column and level, computed here from the tone, the window and the
size, and stays far down away from the tone; grid, ticks and labels lie where
the geometry puts them. With a second wave input device listed, device 0 is
still the sound server's default source, named in the "Info" box."""

import case_support
import menu_keys
import plot_checks
from clock import now_s, wait_until
from picture import LEFT_GREEN, RIGHT_RED
from sound_server import LEFT_TONE, RIGHT_TONE

DEFAULT_WINDOW = "hanning"
TRACES = (("green (left)", LEFT_GREEN, LEFT_TONE), ("red (right)", RIGHT_RED, RIGHT_TONE))
# (points, rate caption, keys that set them from the state before): the
# defaults first, then each size at two rates, the slow one with a pause far
# longer than any capture.
SETTINGS = (
    (2048, "5 Messungen/s", ()),
    (2048, "1 Messung/s", menu_keys.RATE_1),
    (65536, "1 Messung/s", menu_keys.SIZE_65536),
    (65536, "5 Messungen/s", menu_keys.RATE_5),
)
# Far below every tone: where leakage of a broken capture shows.
QUIET_FROM_HZ = 20.0
QUIET_TO_HZ = 200.0
QUIET_BELOW_DB = -100.0
# A second device that records only silence: if the program opened it
# instead of device 0, no tone would show.
SILENT_ALSA_DEVICE = "null"
# A tone switched off is gone from the picture within this time: the pause,
# one capture, the drawing and the player's and sound server's buffering. A
# device that hands over sound recorded long before falls seconds behind.
GONE_WITHIN_S = 1.5
TONE_BACK_WITHIN_S = 10
SEVERAL_DEVICES_BOX = "Using In: default."


def run(session, report):
    session.start_sound()
    program, why = session.launch_measuring("spectrum")
    if not report.check("spectrum: with one device the program measures and shows no box",
                        program is not None, why):
        return
    for index, (fft_size, rate, keys) in enumerate(SETTINGS):
        if keys:
            program.keys(*keys)
            case_support.settle(program)
        plot = _judge_traces(program, report, "%d points, %s" % (fft_size, rate), fft_size)
        if index == 0 and plot:
            _judge_axes(report, plot)
            _judge_freshness(session, program, report)
    session.end_case_programs()
    _several_devices(session, report)


def _judge_traces(program, report, setting, fft_size):
    plot = case_support.plot_when(program, case_support.has_colour(LEFT_GREEN, RIGHT_RED))
    if not report.check("spectrum at %s: a screenshot with both traces" % setting, plot is not None):
        return None
    for name, colour, (frequency, amplitude) in TRACES:
        tone = "%s trace at %g Hz, %g" % (name, frequency, amplitude)
        ok, detail = plot_checks.peak_matches_tone(plot, colour, frequency, amplitude,
                                                   fft_size, DEFAULT_WINDOW)
        report.check("spectrum at %s: %s peaks at the tone's column and level" % (setting, tone),
                     ok, detail, plot.picture)
        ok, detail = plot_checks.quiet_between(plot, colour, QUIET_FROM_HZ, QUIET_TO_HZ, QUIET_BELOW_DB)
        report.check("spectrum at %s: %s stays below %g dB from %g to %g Hz"
                     % (setting, tone, QUIET_BELOW_DB, QUIET_FROM_HZ, QUIET_TO_HZ),
                     ok, detail, plot.picture)
    return plot


def _judge_axes(report, plot):
    for name, judge in (("grid at the decades and 10 dB steps", plot_checks.grid_where_expected),
                        ("tick marks in the margins", plot_checks.ticks_where_expected),
                        ("axis labels in the margins", plot_checks.labels_where_expected)):
        ok, detail = judge(plot)
        report.check("spectrum: " + name, ok, "%s; view %dx%d" % (
            detail, plot.geometry.width, plot.geometry.height), plot.picture)


def _judge_freshness(session, program, report):
    """Switches the left tone off: the spectrum must follow the sound."""
    def left_tone_shown():
        plot = case_support.plot_now(program)
        return plot is not None and plot_checks.tone_shown(plot, LEFT_GREEN, LEFT_TONE[0])

    session.tone.stop()
    off_s = now_s()
    gone = wait_until(lambda: not left_tone_shown(), GONE_WITHIN_S + TONE_BACK_WITHIN_S, poll_s=0.02)
    took_s = now_s() - off_s
    session.tone.start()
    back = wait_until(left_tone_shown, TONE_BACK_WITHIN_S)
    report.check("spectrum: a tone switched off is gone from the picture within %.1f s" % GONE_WITHIN_S,
                 gone and took_s <= GONE_WITHIN_S and back,
                 "gone after %.2f s; back after switching on: %s" % (took_s, bool(back)))


def _several_devices(session, report):
    session.prefix.set_extra_input_devices([SILENT_ALSA_DEVICE])
    try:
        program, why = session.launch_measuring("spectrum-two-devices", SEVERAL_DEVICES_BOX)
        if report.check('spectrum: with two devices the "Info" box names device 0, the default source',
                        program is not None, why):
            _judge_traces(program, report, "2048 points with two devices", 2048)
    finally:
        session.prefix.set_extra_input_devices([])
