"""Tones of known frequency and amplitude on each channel, off the 100 Hz
grid: at two transform sizes and two measurement rates each trace peaks at
its tone's column and level, computed from the tone, the window and the size,
and stays far down away from the tone; grid, ticks and labels lie where the
geometry puts them; a tone switched off is soon gone from the picture; the
spectrum exported holds the tones and, loaded back as the reference, shows
where they were."""

import math
import re
import os
import time

import numpy as np
import pytest

import case_support
import menu_keys
import plot_checks
import readouts
import surroundings
import tone_model
from case_support import SAMPLE_RATE_HZ, has_colour
from clock import now_s, wait_until
from picture import BLACK, GRID_GREY, HELD_GREEN, LEFT_GREEN, REFERENCE_GREEN, REFERENCE_RED, RIGHT_RED, Rect
from surroundings import LEFT_TONE, RIGHT_TONE, TonePlayer
from view_geometry import VIEW_TOP_PX

DEFAULT_WINDOW = "hanning"
TRACES = pytest.mark.parametrize("trace", [(LEFT_GREEN, LEFT_TONE), (RIGHT_RED, RIGHT_TONE)],
                                 ids=["green-left", "red-right"])
DEFAULT_SETTING = (2048, 5)
SIZE_KEYS = {2048: menu_keys.SIZE_2048, 65536: menu_keys.SIZE_65536}
RATE_KEYS = {1: menu_keys.RATE_1, 5: menu_keys.RATE_5}
# (points, measurements per second): the defaults, then each size at two
# rates, the slow one with a pause far longer than any capture.
SETTINGS = [(2048, 5), (2048, 1), (65536, 1), (65536, 5)]
# Far below every tone: where leakage of a broken capture shows.
QUIET_FROM_HZ = 20.0
QUIET_TO_HZ = 200.0
QUIET_BELOW_DB = -100.0
# A loaded machine lets the sound server skip now and then: the gap is a click
# in one measurement, which is loud there. A broken capture is loud in every
# one, so a loud band is judged again in a later measurement.
QUIET_RETRY_MARGIN_S = 0.5
# A tone switched off is gone from the picture within this time: the pause,
# one capture, the drawing and the player's and sound server's buffering. A
# device that hands over sound recorded long before falls seconds behind, at
# every one of the tries.
GONE_WITHIN_S = 1.5
GONE_TRIES = 3
TONE_BACK_WITHIN_S = 10
# Time for a pointer's move to reach the program as a message.
POINTER_SETTLE_S = 0.3


class Measuring:
    """The program started with one device, its size and rate, and the one
    screenshot taken at each setting (which several tests judge)."""

    def __init__(self, session):
        self.program, self.why = session.launch_measuring("spectrum")
        self.setting = DEFAULT_SETTING
        self.plots = {}
        # A pointer resting over the view of the active window shows the
        # readout there (and one that rested there since before the window
        # appeared never entered it, so never leaves it): in and out again,
        # so that the judged screenshots are of the plot alone.
        frame = self.program.frame_rect() if self.program is not None else None
        if frame is not None:
            self.program.move_pointer_on_screen(frame.left + frame.width // 2, frame.top + frame.height // 2)
            time.sleep(POINTER_SETTLE_S)
            self.program.move_pointer_on_screen(frame.left + frame.width + 20, frame.top + frame.height + 20)
            # The box goes with the next drawing after the leave.
            case_support.plot_when(self.program, lambda p: not readouts.framed_boxes(p))

    def set(self, setting):
        assert self.program is not None, self.why
        (size, rate), (old_size, old_rate) = setting, self.setting
        keys = (SIZE_KEYS[size] if size != old_size else ()) + (RATE_KEYS[rate] if rate != old_rate else ())
        if keys:
            self.program.keys(*keys)
            case_support.settle(self.program)
        self.setting = setting

    def plot(self, setting):
        if setting not in self.plots:
            self.set(setting)
            self.plots[setting] = case_support.plot_when(self.program, has_colour(LEFT_GREEN, RIGHT_RED))
        return self.plots[setting]

    def later_plot(self, setting):
        """A screenshot of a measurement after the one plot() took."""
        self.set(setting)
        time.sleep(1.0 / setting[1] + QUIET_RETRY_MARGIN_S)
        return case_support.plot_when(self.program, has_colour(LEFT_GREEN, RIGHT_RED))


@pytest.fixture(scope="module")
def measuring(tones):
    return Measuring(tones)


@pytest.fixture(scope="module", params=SETTINGS, ids=["%d-points-%d-per-s" % s for s in SETTINGS])
def setting(request):
    """(points, measurements per second): the tests of one setting run together."""
    return request.param


def judge_traces_drawn(plot):
    assert plot is not None and has_colour(LEFT_GREEN, RIGHT_RED)(plot), "no screenshot with both traces"


def judge_peak(plot, trace, fft_size, keep):
    colour, (frequency_hz, amplitude) = trace
    keep(plot and plot.picture)
    assert plot is not None
    ok, detail = plot_checks.peak_matches_tone(plot, colour, frequency_hz, amplitude, fft_size,
                                               DEFAULT_WINDOW)
    assert ok, detail


def judge_quiet(plot, trace, keep, later=None):
    """later: a screenshot of a later measurement, judged when this one is loud."""
    keep(plot and plot.picture)
    assert plot is not None
    ok, detail = plot_checks.quiet_between(plot, trace[0], QUIET_FROM_HZ, QUIET_TO_HZ, QUIET_BELOW_DB)
    if not ok and later is not None:
        again = later()
        keep(again and again.picture)
        assert again is not None
        ok, again_detail = plot_checks.quiet_between(again, trace[0], QUIET_FROM_HZ, QUIET_TO_HZ, QUIET_BELOW_DB)
        detail = "%s; in a later measurement: %s" % (detail, again_detail)
    assert ok, detail


def test_with_one_device_it_measures_and_shows_no_box(measuring):
    assert measuring.program is not None, measuring.why


@pytest.mark.parametrize("judge", [plot_checks.grid_where_expected, plot_checks.ticks_where_expected,
                                   plot_checks.labels_where_expected], ids=["grid", "ticks", "labels"])
def test_the_axes_lie_where_the_geometry_puts_them(measuring, judge, keep):
    plot = measuring.plot(DEFAULT_SETTING)
    keep(plot and plot.picture)
    assert plot is not None
    ok, detail = judge(plot)
    assert ok, "%s; view %dx%d" % (detail, plot.geometry.width, plot.geometry.height)


def test_a_tone_switched_off_is_gone_from_the_picture_soon(measuring, tones):
    measuring.set(DEFAULT_SETTING)
    program = measuring.program

    def left_tone_shown():
        plot = case_support.plot_now(program)
        return plot is not None and plot_checks.tone_shown(plot, LEFT_GREEN, LEFT_TONE[0])

    def time_to_gone():
        """Seconds from the player's end to the screenshot that no longer
        shows the tone (timed from its start: grabbing it is not the
        program's delay), None if never; the tone is playing again after."""
        tones.tone.stop()
        off_s = now_s()
        gone_s = None
        while gone_s is None and now_s() - off_s < GONE_WITHIN_S + TONE_BACK_WITHIN_S:
            taken_s = now_s()
            if not left_tone_shown():
                gone_s = taken_s - off_s
            else:
                time.sleep(0.02)
        tones.tone.start()
        assert wait_until(left_tone_shown, TONE_BACK_WITHIN_S), "the tone is not back after switching on"
        return gone_s

    # A loaded machine delays a screenshot or the sound server now and then;
    # a program that falls behind is late at every try.
    tries = []
    while len(tries) < GONE_TRIES and (not tries or tries[-1] is None or tries[-1] > GONE_WITHIN_S):
        tries.append(time_to_gone())
    assert tries[-1] is not None and tries[-1] <= GONE_WITHIN_S, \
        "gone after %s s (at most %.1f s at one of %d tries)" % (
            ", ".join("never" if s is None else "%.2f" % s for s in tries), GONE_WITHIN_S, GONE_TRIES)


def test_a_screenshot_shows_both_traces(measuring, setting):
    judge_traces_drawn(measuring.plot(setting))


@TRACES
def test_the_trace_peaks_at_the_tones_column_and_level(measuring, setting, trace, keep):
    judge_peak(measuring.plot(setting), trace, setting[0], keep)


@TRACES
def test_the_trace_stays_quiet_far_below_the_tone(measuring, setting, trace, keep):
    judge_quiet(measuring.plot(setting), trace, keep, lambda: measuring.later_plot(setting))


# The readouts, at the defaults (2048 points, Hanning): the box under the
# mouse on the column where the green trace peaks, gone without a trace when
# the mouse leaves; the peak values of both tones.
LINE_SPACING_HZ = SAMPLE_RATE_HZ / DEFAULT_SETTING[0]
PEAK_ACCURACY_LINES = 0.1
READOUT_LEVEL_TOLERANCE_DB = 0.3
READOUT_QUIET_BELOW_DB = -90.0
PLAIN_VIEW_COLOURS = (BLACK, GRID_GREY, LEFT_GREEN, RIGHT_RED)


def expected_level_db(tone):
    return tone_model.expected_peak(tone[0], tone[1], DEFAULT_SETTING[0], DEFAULT_WINDOW)[1]


def test_the_readout_under_the_mouse_reads_the_tones_column(measuring, keep):
    measuring.set(DEFAULT_SETTING)
    program = measuring.program
    program.keys()  # the frame gets the focus
    plot = case_support.plot_when(program, has_colour(LEFT_GREEN, RIGHT_RED))
    assert plot is not None
    x, _ = plot.peak(LEFT_GREEN)
    program.move_pointer(plot.view.left + x, plot.view.top + plot.geometry.height * 2 // 3)
    shown = case_support.plot_when(program, lambda p: len(readouts.framed_boxes(p)) == 1)
    keep(shown and shown.picture)
    boxes = readouts.framed_boxes(shown)
    assert len(boxes) == 1, "boxes found: %r" % boxes
    assert shown.view_mask(readouts.MARKER_BLUE)[:, x].sum() > shown.geometry.height // 2
    text = readouts.read_box(shown, boxes[0])
    match = readouts.READOUT.search(text)
    assert match, "readout read as %r" % text
    frequency_hz, left_db, right_db = map(readouts.german_number, match.groups())
    geometry = shown.geometry
    low_hz, high_hz = geometry.x_to_frequency(x), geometry.x_to_frequency(x + 1)
    assert low_hz <= frequency_hz <= high_hz, "%r: column %d spans %.1f to %.1f Hz" % (
        text, x, low_hz, high_hz)
    assert abs(left_db - expected_level_db(LEFT_TONE)) <= READOUT_LEVEL_TOLERANCE_DB, text
    assert right_db < READOUT_QUIET_BELOW_DB, text
    measuring.readout_box = boxes[0]


# Typed limits around the left tone (1234.5 Hz): a view of 100 Hz.
TYPED_LOW_HZ = 1200
TYPED_HIGH_HZ = 1300
ZOOM_NOTCHES = 3  # each narrows the span by 1.25
WIDTH_DROP_DB = 20


def test_zoom_keeps_the_tone_at_the_pointer_and_typed_limits_place_it(measuring, keep):
    """The wheel at the tone's column keeps the tone there and widens it; the
    limits typed in "Bereich..." put its peak where the model of a view of
    1200 Hz to 1300 Hz says, and the peak values name it alone, "im Bereich";
    a double click brings back the full view's
    axes pixel for pixel and the tone's column."""
    measuring.set(DEFAULT_SETTING)
    program = measuring.program
    program.keys()  # the frame gets the focus
    full = case_support.plot_when(program, has_colour(LEFT_GREEN, RIGHT_RED))
    assert full is not None
    x0, _ = full.peak(LEFT_GREEN)
    width0 = full.width_above(LEFT_GREEN, x0, WIDTH_DROP_DB)
    program.move_pointer(full.view.left + x0, full.view.top + full.geometry.height * 2 // 3)
    program.click(4, ZOOM_NOTCHES)
    # The readout's marker, on the pointer's column, would hide the tone's top there.
    frame = program.frame_rect()
    program.move_pointer_on_screen(frame.left + frame.width + 20, frame.top + frame.height + 20)
    widened = 1.25 ** ZOOM_NOTCHES * 0.8

    def zoomed_in(plot):
        found = plot.peak(LEFT_GREEN)
        return found is not None and plot.width_above(LEFT_GREEN, found[0], WIDTH_DROP_DB) >= width0 * widened
    zoomed = case_support.plot_when(program, zoomed_in)
    keep(zoomed and zoomed.picture)
    assert zoomed is not None and zoomed_in(zoomed), "the tone did not widen from %d columns" % width0
    x1, _ = zoomed.peak(LEFT_GREEN)
    assert abs(x1 - x0) <= plot_checks.PEAK_COLUMN_TOLERANCE_PX + 1, "tone moved from column %d to %d" % (x0, x1)

    program.keys("alt+a", "b")
    # The first field holds the focus, its text selected, as Tab leaves the next.
    keys = list(str(TYPED_LOW_HZ)) + ["Tab"] + list(str(TYPED_HIGH_HZ)) + ["Return"]
    assert program.type_into("Bereich", *keys), "no range dialog"
    frequency_hz, amplitude = LEFT_TONE

    def placed(plot):
        ok, _ = plot_checks.peak_matches_tone(plot.zoomed(TYPED_LOW_HZ, TYPED_HIGH_HZ), LEFT_GREEN,
                                              frequency_hz, amplitude, DEFAULT_SETTING[0], DEFAULT_WINDOW)
        return ok
    typed_plot = case_support.plot_when(program, placed)
    keep(typed_plot and typed_plot.picture)
    ok, detail = plot_checks.peak_matches_tone(typed_plot.zoomed(TYPED_LOW_HZ, TYPED_HIGH_HZ), LEFT_GREEN,
                                               frequency_hz, amplitude, DEFAULT_SETTING[0], DEFAULT_WINDOW)
    assert ok, detail

    # Zoomed, the peak values are the strongest lines of the range shown, and
    # say so: the left tone, and no tone of the right channel's there.
    program.keys(*menu_keys.SHOW_PEAKS)
    try:
        boxed = case_support.plot_when(program, lambda p: len(readouts.framed_boxes(p)) == 1)
        keep(boxed and boxed.picture)
        assert boxed is not None, "no peak values"
        box = readouts.framed_boxes(boxed)[0]
        text = readouts.read_box(boxed, box)
        found = {match.group(1): readouts.german_number(match.group(2))
                 for match in readouts.PEAK_LINE.finditer(text)}
        assert set(found) == {"L"}, text
        assert abs(found["L"] - frequency_hz) <= PEAK_ACCURACY_LINES * LINE_SPACING_HZ + 0.5, text
        words = readouts.read_box(boxed, box, "imBerch")
        assert "imBereich" in words.replace(" ", ""), words
    finally:
        program.keys(*menu_keys.SHOW_PEAKS)

    program.move_pointer(full.view.left + x0, full.view.top + full.geometry.height * 2 // 3)
    program.click(1, 2)
    back = case_support.plot_when(program, lambda p: p.peak(LEFT_GREEN) is not None
                                  and abs(p.peak(LEFT_GREEN)[0] - x0) <= 1)
    keep(back and back.picture)
    assert back is not None and abs(back.peak(LEFT_GREEN)[0] - x0) <= 1
    # The margins (ticks and labels) as at the start, pixel for pixel.
    width, height = full.client.width, full.client.height
    below_view = VIEW_TOP_PX + full.geometry.height
    for rect in (Rect(0, 0, full.geometry.view_left_px, height),
                 Rect(0, below_view, width, height - below_view)):
        assert (full.frame_mask(GRID_GREY, rect) == back.frame_mask(GRID_GREY, rect)).all()
        assert (full.frame_mask(BLACK, rect) == back.frame_mask(BLACK, rect)).all()


def test_the_readout_leaves_no_trace_when_the_mouse_leaves(measuring, keep):
    program = measuring.program
    frame = program.frame_rect()
    program.move_pointer_on_screen(frame.left + frame.width + 20, frame.top + frame.height + 20)
    plot = case_support.plot_when(program, lambda p: not readouts.framed_boxes(p))
    keep(plot and plot.picture)
    assert plot is not None and not readouts.framed_boxes(plot)
    assert plot.count_in_view(readouts.MARKER_BLUE) == 0
    left, top, right, bottom = getattr(measuring, "readout_box", (0, 0, plot.geometry.width - 1,
                                                                  plot.geometry.height - 1))
    area = plot.picture.codes[plot.view.top + top:plot.view.top + bottom + 1,
                              plot.view.left + left:plot.view.left + right + 1]
    plain = np.logical_or.reduce([plot.picture.mask(colour)[plot.view.top + top:plot.view.top + bottom + 1,
                                                           plot.view.left + left:plot.view.left + right + 1]
                                  for colour in PLAIN_VIEW_COLOURS])
    assert plain.all(), "%d pixels of the readout's area are left" % (area.size - plain.sum())
    ok, detail = plot_checks.grid_where_expected(plot)
    assert ok, detail


def read_peak_values(program, keep):
    """The peak values' box as read: (plot, text, {letter: (frequency, level)})."""
    plot = case_support.plot_when(program, lambda p: len(readouts.framed_boxes(p)) == 1)
    keep(plot and plot.picture)
    boxes = readouts.framed_boxes(plot)
    assert len(boxes) == 1, "boxes found: %r" % boxes
    text = readouts.read_box(plot, boxes[0])
    found = {match.group(1): tuple(map(readouts.german_number, match.groups()[1:]))
             for match in readouts.PEAK_LINE.finditer(text)}
    assert set(found) == {"L", "R"}, "peak values read as %r" % text
    print("peak values: %s" % text.replace("\n", " | "))
    return plot, text, found


# The scales: a tone's sine level is its played level, 20 log10(amplitude)
# dBFS; its noise density that over the window's equivalent noise bandwidth
# (1.5 lines of 21.5 Hz for Hanning: 15.1 dB less). A calibration at the
# left tone's level declared as 94,0 dB SPL switches to the sine levels,
# reads 94,0 dB SPL there and moves the axis labels by 100 dB (the tone
# lies 6.02 dB below full scale).
SCALE_TOLERANCE_DB = 0.2
CALIBRATOR_DB = 94.0
CALIBRATED_TOLERANCE_DB = 0.1
CALIBRATOR_KEYS = ("9", "4", "comma", "0", "Return")


def noise_bandwidth_db(fft_size, window):
    weights = [tone_model.WINDOWS[window](j, fft_size) for j in range(fft_size)]
    lines = fft_size * sum(w * w for w in weights) / sum(weights) ** 2
    return 10 * math.log10(lines * SAMPLE_RATE_HZ / fft_size)


def label_magnitudes(labels):
    """The labels without their signs, which the OCR loses now and then:
    0 to 140 tell the plain axis from 100 to 0 to 40."""
    return [abs(round(label)) for label in labels]


# The left tone with a second and third harmonic played at known levels: the
# distortion shown, as the exported file's header states it, names them to
# the whole decibels shown, and the THD they make (-39.6 dB), which THD+N
# repeats with the noise far below, to a few tenths (the sound path adds
# its own).
PLAYED_HARMONICS = ((2, -40.0), (3, -50.0))
HARMONIC_TOLERANCE_DB = 1.0
THD_TOLERANCE_DB = 0.3
HARMONIC_TEXT = re.compile(r"H(\d+) (<?)(" + readouts.NUMBER + r") dB")
THD_TEXT = re.compile(r"THD (<?)(" + readouts.NUMBER + r") dB \(")
# THD+N, the noise far below the harmonics: their THD again.
THD_N_TEXT = re.compile(r"THD\+N (?:<=)?(" + readouts.NUMBER + r") dB")


def read_distortion_header(program, work_dir):
    """The left channel's distortion line of a file exported now."""
    path = os.path.join(work_dir, "distortion.txt")
    if os.path.exists(path):
        os.remove(path)
    program.keys(*menu_keys.EXPORT_SPECTRUM)
    assert program.choose_file(EXPORT_DIALOG, path), "no %r dialog" % EXPORT_DIALOG
    assert wait_until(lambda: os.path.exists(path), FILE_TIMEOUT_S), "no file written"
    with open(path, encoding="cp1252") as text:
        lines = [line for line in text if line.startswith("* Verzerrung Links: ")]
    assert len(lines) == 1, "no distortion in the header"
    return lines[0].strip()


def test_the_peak_values_name_both_tones(measuring, tones, keep):
    program = measuring.program
    frame = program.frame_rect()  # the pointer off the view: no readout box beside the peaks'
    program.move_pointer_on_screen(frame.left + frame.width + 20, frame.top + frame.height + 20)
    program.keys(*menu_keys.SHOW_PEAKS)
    try:
        _, text, found = read_peak_values(program, keep)
        for letter, tone in (("L", LEFT_TONE), ("R", RIGHT_TONE)):
            frequency_hz, level_db = found[letter]
            # Shown to the whole hertz: the accuracy, 2.2 Hz, supports no decimal.
            assert abs(frequency_hz - tone[0]) <= PEAK_ACCURACY_LINES * LINE_SPACING_HZ + 0.5, text
            tone_db = tone_model.tone_level_db(tone[1], DEFAULT_SETTING[0], DEFAULT_WINDOW)
            assert abs(level_db - tone_db) <= READOUT_LEVEL_TOLERANCE_DB, text

        program.keys(*menu_keys.SCALE_SINE)
        case_support.settle(program)
        plot, text, found = read_peak_values(program, keep)
        for letter, tone in (("L", LEFT_TONE), ("R", RIGHT_TONE)):
            assert abs(found[letter][1] - 20 * math.log10(tone[1])) <= SCALE_TOLERANCE_DB, text
        labels = readouts.read_level_labels(plot)
        # The sine scale's range: +10 to -140 dBFS.
        assert label_magnitudes(labels) == label_magnitudes(range(10, -150, -10)), labels

        program.keys(*menu_keys.SCALE_DENSITY)
        case_support.settle(program)
        _, text, found = read_peak_values(program, keep)
        density_db = 20 * math.log10(LEFT_TONE[1]) - noise_bandwidth_db(DEFAULT_SETTING[0], DEFAULT_WINDOW)
        assert abs(found["L"][1] - density_db) <= SCALE_TOLERANCE_DB, text

        program.keys(*menu_keys.CALIBRATE)
        assert program.type_into(menu_keys.CALIBRATION_CAPTION, *CALIBRATOR_KEYS), "no calibration dialog"
        assert wait_until(lambda: not program.window(menu_keys.CALIBRATION_CAPTION, 0), TONE_BACK_WITHIN_S)
        case_support.settle(program)
        plot, text, found = read_peak_values(program, keep)
        assert abs(found["L"][1] - CALIBRATOR_DB) <= CALIBRATED_TOLERANCE_DB, text
        labels = readouts.read_level_labels(plot)
        assert label_magnitudes(labels) == label_magnitudes(range(110, -50, -10)), labels

        harmonic = surroundings.TonePlayer(tones.server, LEFT_TONE, RIGHT_TONE,
                                           left_harmonics=PLAYED_HARMONICS)
        tones.tone.stop()
        harmonic.start()
        program.keys(*menu_keys.SHOW_DISTORTION)
        try:
            case_support.settle(program)
            line = read_distortion_header(program, tones.work_dir)
            print("distortion: %s" % line)
            read = {int(m.group(1)): (m.group(2), readouts.german_number(m.group(3)))
                    for m in HARMONIC_TEXT.finditer(line)}
            for order, db in PLAYED_HARMONICS:
                assert read[order][0] == "" and abs(read[order][1] - db) <= HARMONIC_TOLERANCE_DB, line
            thd = THD_TEXT.search(line)
            played_thd_db = 10 * math.log10(sum(10 ** (db / 10) for _, db in PLAYED_HARMONICS))
            assert thd and thd.group(1) == "", line
            assert abs(readouts.german_number(thd.group(2)) - played_thd_db) <= THD_TOLERANCE_DB, line
            thd_n = THD_N_TEXT.search(line)
            assert thd_n and abs(readouts.german_number(thd_n.group(1)) - played_thd_db) <= THD_TOLERANCE_DB, line
        finally:
            program.keys(*menu_keys.SHOW_DISTORTION)
            harmonic.stop()
            tones.tone.start()
    finally:
        program.keys(*menu_keys.FORGET_CALIBRATION)
        program.keys(*menu_keys.SCALE_UNCORRECTED)
        program.keys(*menu_keys.SHOW_PEAKS)


# Averaging and the held picture, with the tones in white noise: at 2048
# points (Hanning) noise of RMS 0.004 lies at about -80 dB per line, far above
# the sound server's own floor and far below the tones.
NOISE_RMS = 0.004
NOISE_BAND_HZ = (5000.0, 15000.0)
AVERAGED_SPECTRA = 64
# One spectrum's column maxima scatter by about 2.5 dB; 64 averaged in power
# scatter about an eighth of that (1 / sqrt(64)) plus a pixel's rounding (0.2
# dB): measured 0.165 of it. An average of only 4 would keep half the scatter.
SCATTER_RATIO_AT_MOST = 0.3
TONE_LEVEL_TOLERANCE_DB = 0.3
HELD_FOR_S = 1.0
CHANGED_LEFT_TONE = (2345.6, 0.5)


def floor_drawn(plot):
    """The green trace across the noise band: not a screenshot taken while
    the view was being drawn."""
    first, end = (min(plot.geometry.freq_to_x(f)) for f in NOISE_BAND_HZ)
    tops = plot.envelope(LEFT_GREEN)[first:end]
    return plot.peak(LEFT_GREEN) is not None and sum(top is not None for top in tops) >= 0.9 * len(tops)


def test_averaging_steadies_a_noise_floor_and_space_holds_the_picture(measuring, tones, keep):
    measuring.set(DEFAULT_SETTING)
    program = measuring.program
    tones.tone.stop()
    noisy = surroundings.TonePlayer(tones.server, LEFT_TONE, RIGHT_TONE, noise_rms=NOISE_RMS)
    noisy.start()
    try:
        # The player's first sound reaches the program a moment after its start.
        case_support.plot_when(program, lambda p: plot_checks.tone_shown(p, LEFT_GREEN, LEFT_TONE[0]))
        case_support.settle(program)
        singles = [case_support.plot_when(program, floor_drawn) for _ in range(3)]
        keep(singles and singles[-1].picture)
        single_scatter = np.mean([plot_checks.floor_scatter_db(plot, LEFT_GREEN, NOISE_BAND_HZ) for plot in singles])
        single_tone_db = singles[-1].level_of_row(singles[-1].peak(LEFT_GREEN)[1])

        program.keys(*menu_keys.AVERAGING_64)
        assert program.wait_for_captures(AVERAGED_SPECTRA + 2, 60), "the averaging never settled"
        averaged = case_support.plot_when(program, floor_drawn)
        keep(averaged and averaged.picture)
        averaged_scatter = plot_checks.floor_scatter_db(averaged, LEFT_GREEN, NOISE_BAND_HZ)
        print("noise floor scatter: 1 spectrum %.2f dB, %d spectra %.2f dB" % (
            single_scatter, AVERAGED_SPECTRA, averaged_scatter))
        assert averaged_scatter <= SCATTER_RATIO_AT_MOST * single_scatter, (
            "scatter %.2f dB averaged, %.2f dB not" % (averaged_scatter, single_scatter))
        tone_db = averaged.level_of_row(averaged.peak(LEFT_GREEN)[1])
        assert abs(tone_db - single_tone_db) <= TONE_LEVEL_TOLERANCE_DB, (
            "tone at %.2f dB averaged, %.2f dB not" % (tone_db, single_tone_db))

        # Held: the picture stands still while the tones change.
        program.keys(*menu_keys.PAUSE)
        time.sleep(0.5)  # a spectrum in analysis at the key is still shown
        before = case_support.plot_now(program)
        noisy.stop()
        noisy = surroundings.TonePlayer(tones.server, CHANGED_LEFT_TONE, RIGHT_TONE)
        noisy.start()
        time.sleep(HELD_FOR_S)
        after = case_support.plot_now(program)
        keep(after and after.picture)
        rows, columns = before.view.slices()
        changed = int((before.picture.codes[rows, columns] != after.picture.codes[rows, columns]).sum())
        assert changed == 0, "%d pixels of the held picture changed" % changed

        program.keys(*menu_keys.PAUSE)
        measured = case_support.plot_when(
            program, lambda p: plot_checks.tone_shown(p, LEFT_GREEN, CHANGED_LEFT_TONE[0]))
        keep(measured and measured.picture)
        assert measured and plot_checks.tone_shown(measured, LEFT_GREEN, CHANGED_LEFT_TONE[0]), \
            "not measuring again after the second Space"

        # The held maximum switched on holds nothing older than the switch:
        # not the changed tone, played since the last restart of the average
        # but gone before the switch.
        program.keys(*menu_keys.AVERAGING_OFF)
        assert program.wait_for_captures(3, 10)
        noisy.stop()
        noisy = surroundings.TonePlayer(tones.server, LEFT_TONE, RIGHT_TONE, noise_rms=NOISE_RMS)
        noisy.start()
        case_support.plot_when(program, lambda p: floor_drawn(p) and not plot_checks.tone_shown(
            p, LEFT_GREEN, CHANGED_LEFT_TONE[0]))
        program.keys(*menu_keys.HOLD_MAXIMUM)
        try:
            held = case_support.plot_when(program, lambda p: floor_drawn(p) and has_colour(HELD_GREEN)(p))
            keep(held and held.picture)
            assert held and has_colour(HELD_GREEN)(held), "no held maximum drawn"
            assert not plot_checks.tone_shown(held, HELD_GREEN, CHANGED_LEFT_TONE[0]), \
                "the held maximum shows a tone gone before it was switched on"
        finally:
            program.keys(*menu_keys.HOLD_MAXIMUM)
    finally:
        program.keys(*menu_keys.AVERAGING_OFF)
        noisy.stop()
        tones.tone.start()
        # The next test finds the test tones on the screen again.
        case_support.plot_when(program, lambda p: plot_checks.tone_shown(
            p, LEFT_GREEN, LEFT_TONE[0]) and not plot_checks.tone_shown(p, LEFT_GREEN, CHANGED_LEFT_TONE[0]))


# Keeping and comparing, at the defaults: the spectrum exported while the
# tones play holds its strongest rows at the tones' lines and levels; loaded
# back as the reference, it stays where the tones were once they have moved.
EXPORT_DIALOG = "Spektrum exportieren"
REFERENCE_DIALOG = "Referenz laden"
MOVED_TONES = ((2345.6, 0.5), (6543.2, 0.1))
FILE_TIMEOUT_S = 10
# The file states each line's frequency to four decimals.
FILE_FREQUENCY_TOLERANCE_HZ = 0.0001
# The Save dialog's types, counted from 1: "Frequenzgang, linker Kanal (*.txt)".
LEFT_RESPONSE_TYPE = 3


def test_an_exported_spectrum_comes_back_as_the_reference(measuring, tones, keep):
    measuring.set(DEFAULT_SETTING)
    program = measuring.program
    path = os.path.join(tones.work_dir, "spectrum.txt")
    if os.path.exists(path):  # from an earlier run in this folder: the dialog would ask
        os.remove(path)
    # The tones on the screen first: a loaded sound server may take a while
    # to play them again after the case before.
    shown = case_support.plot_when(program, lambda p: plot_checks.tone_shown(p, LEFT_GREEN, LEFT_TONE[0]))
    assert shown and plot_checks.tone_shown(shown, LEFT_GREEN, LEFT_TONE[0]), "the test tones are not measured"
    program.keys(*menu_keys.EXPORT_SPECTRUM)
    assert program.choose_file(EXPORT_DIALOG, path), "no %r dialog" % EXPORT_DIALOG
    assert wait_until(lambda: os.path.exists(path), FILE_TIMEOUT_S), "no file written"
    rows = np.loadtxt(path, comments="*", delimiter="\t", encoding="latin-1")
    assert rows.shape == (DEFAULT_SETTING[0] // 2, 3)
    for column, tone in ((1, LEFT_TONE), (2, RIGHT_TONE)):
        line_hz, level_db = tone_model.expected_peak(tone[0], tone[1], DEFAULT_SETTING[0],
                                                     DEFAULT_WINDOW)
        strongest = rows[np.argmax(rows[:, column])]
        assert abs(strongest[0] - line_hz) <= FILE_FREQUENCY_TOLERANCE_HZ, (strongest, line_hz)
        assert abs(strongest[column] - level_db) <= READOUT_LEVEL_TOLERANCE_DB, (strongest, level_db)

    # The left channel's response, as another measuring program imports it:
    # frequency and level, whitespace between, "*" comments, no 0 Hz line.
    response_path = os.path.join(tones.work_dir, "spectrum-links.txt")
    if os.path.exists(response_path):
        os.remove(response_path)
    program.keys(*menu_keys.EXPORT_SPECTRUM)
    assert program.choose_file(EXPORT_DIALOG, response_path, LEFT_RESPONSE_TYPE), \
        "no %r dialog" % EXPORT_DIALOG
    assert wait_until(lambda: os.path.exists(response_path), FILE_TIMEOUT_S), "no response written"
    response = np.loadtxt(response_path, comments="*", encoding="latin-1")
    assert response.shape == (DEFAULT_SETTING[0] // 2 - 1, 2)
    assert response[0, 0] > 0
    line_hz, level_db = tone_model.expected_peak(LEFT_TONE[0], LEFT_TONE[1], DEFAULT_SETTING[0],
                                                 DEFAULT_WINDOW)
    strongest = response[np.argmax(response[:, 1])]
    assert abs(strongest[0] - line_hz) <= FILE_FREQUENCY_TOLERANCE_HZ, (strongest, line_hz)
    assert abs(strongest[1] - level_db) <= READOUT_LEVEL_TOLERANCE_DB, (strongest, level_db)
    with open(response_path, encoding="latin-1") as text:
        comments = [line.strip() for line in text if line.startswith("*")]
    assert "* Kanal: Links" in comments and "* Frequenz [Hz]\tLinks [dB]" in comments, comments

    program.keys(*menu_keys.LOAD_REFERENCE)
    assert program.choose_file(REFERENCE_DIALOG, path), "no %r dialog" % REFERENCE_DIALOG
    moved = TonePlayer(tones.server, *MOVED_TONES)
    tones.tone.stop()
    moved.start()
    try:
        plot = case_support.plot_when(program, lambda p: plot_checks.tone_shown(
            p, LEFT_GREEN, MOVED_TONES[0][0]) and not plot_checks.tone_shown(p, LEFT_GREEN, LEFT_TONE[0]))
        keep(plot and plot.picture)
        assert plot is not None
        for colour, tone in ((REFERENCE_GREEN, LEFT_TONE), (REFERENCE_RED, RIGHT_TONE)):
            ok, detail = plot_checks.peak_matches_tone(plot, colour, tone[0], tone[1],
                                                       DEFAULT_SETTING[0], DEFAULT_WINDOW)
            assert ok, "reference %r: %s" % (colour, detail)
        assert program.message_boxes() == []
    finally:
        moved.stop()
        tones.tone.start()
        program.keys(*menu_keys.REMOVE_REFERENCE)
