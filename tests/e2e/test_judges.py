"""Checks of the end-to-end judges themselves, without the program: each judge
accepts a correct plot and rejects one with a single fault. The plots are
drawn from positions worked out by hand for an axis frame of 641 x 341
pixels (a view of 600 x 310 at (40, 10): XScale = 599 / log10(2205),
YScale = 309 / 140), not from the geometry the judges use, so that a fault
in that geometry fails these checks instead of moving their expectation."""

import numpy as np
import pytest

import plot_checks
import wine_trace
from picture import BLACK, GRID_GREY, LABEL_GREY, LEFT_GREEN, Picture
from plot_reading import Plot
from tone_model import SAMPLE_RATE_HZ, line_levels_db
from view_geometry import ViewGeometry

BORDER_PX = 4
CAPTION_AND_MENU_PX = 38
SYSTEM_GREY = (212, 208, 200)
CLIENT_WIDTH = 641
CLIENT_HEIGHT = 341
VIEW_LEFT_PX, VIEW_TOP_PX, VIEW_WIDTH, VIEW_HEIGHT = 40, 10, 600, 310
# trunc(log10(f / 10) * XScale) for 10, 20, ..., 90, 100, ..., 20000 Hz;
# none lies within 0.05 of a whole number.
GRID_COLUMNS = [0, 53, 85, 107, 125, 139, 151, 161, 170, 179, 233, 264, 287, 304, 318, 330, 340,
                350, 358, 412, 443, 466, 483, 497, 509, 520, 529, 537, 591]
# trunc(-L * YScale) for 0, -10, ..., -140 dB (-70 dB: 154.5).
GRID_ROWS = [0, 22, 44, 66, 88, 110, 132, 154, 176, 198, 220, 242, 264, 286, 309]
LEVEL_LABELS = ["0"] + ["-%d" % level for level in range(10, 150, 10)]
DECADE_LABELS = [("10", 40), ("100", 219), ("1k", 398), ("10k", 577)]
DECADE_LABEL_TOP = 323
FONT_PX = 11
# 1234.5 Hz at 0.5 under the Hanning window, 2048 points: its strongest line
# is line 57 (1227.39 Hz, -12.66 dB), column trunc(374.26), row trunc(27.94);
# 3 dB higher row trunc(21.32), 3 dB lower trunc(34.56).
TONE_HZ = 1234.5
TONE_AMPLITUDE = 0.5
FFT_SIZE = 2048
PEAK_COLUMN = 374
PEAK_ROW = 27
PEAK_ROW_3_DB_HIGH = 21
PEAK_ROW_3_DB_LOW = 34


class Canvas:
    """A frame window's picture: light border, caption and menu bar around a
    black client area, drawn into by client coordinates."""

    def __init__(self):
        self.left, self.top = BORDER_PX, BORDER_PX + CAPTION_AND_MENU_PX
        height = self.top + CLIENT_HEIGHT + BORDER_PX
        self.pixels = np.empty((height, CLIENT_WIDTH + 2 * BORDER_PX, 3), dtype=np.uint8)
        self.pixels[:, :] = SYSTEM_GREY
        self.fill(0, 0, CLIENT_WIDTH, CLIENT_HEIGHT, BLACK)

    def fill(self, x, y, width, height, colour):
        """The client area's rectangle from (x, y), width x height pixels."""
        self.pixels[self.top + y:self.top + y + height, self.left + x:self.left + x + width] = colour

    def view(self, x, y, width, height, colour):
        self.fill(VIEW_LEFT_PX + x, VIEW_TOP_PX + y, width, height, colour)

    def plot(self):
        return Plot(Picture(self.pixels))


def draw_plot(grid_column_shift=0, skip_label=None, peak_row=PEAK_ROW, unit=True):
    """A plot as the program draws it, with optional faults: the eleventh grid
    column moved, a label or the unit left out, the peak at another row."""
    canvas = Canvas()
    for index, x in enumerate(GRID_COLUMNS):
        canvas.view(x + (grid_column_shift if index == 10 else 0), 0, 1, VIEW_HEIGHT, GRID_GREY)
    for y in GRID_ROWS:
        canvas.view(0, y, VIEW_WIDTH, 1, GRID_GREY)
    bottom = GRID_ROWS[-1]
    for x in GRID_COLUMNS:
        canvas.fill(VIEW_LEFT_PX + x, bottom + 10, 1, 4, GRID_GREY)
    for label, y in zip(LEVEL_LABELS, GRID_ROWS):
        canvas.fill(37, VIEW_TOP_PX + y, 4, 1, GRID_GREY)
        if label != skip_label:
            canvas.fill(28, max(0, VIEW_TOP_PX + y - 3), 6, 5, LABEL_GREY)
    for label, x in DECADE_LABELS:
        if label != skip_label:
            canvas.fill(x - 3, DECADE_LABEL_TOP + 1, 7, FONT_PX - 3, LABEL_GREY)
    if unit:
        canvas.view(8, 8, 12, FONT_PX - 4, LABEL_GREY)
    canvas.view(PEAK_COLUMN, peak_row, 1, VIEW_HEIGHT - peak_row, LEFT_GREEN)
    canvas.view(PEAK_COLUMN - 20, VIEW_HEIGHT - 30, 41, 1, LEFT_GREEN)
    return canvas.plot()


def judge_peak(plot, frequency_hz=TONE_HZ):
    return plot_checks.peak_matches_tone(plot, LEFT_GREEN, frequency_hz, TONE_AMPLITUDE, FFT_SIZE,
                                         "hanning")


def test_the_geometry_of_a_view_of_601_by_301_pixels():
    geometry = ViewGeometry(601 + 41, 301 + 31)
    assert (geometry.width, geometry.height) == (601, 301)
    assert [geometry.freq_to_x(f) for f in (10, 100, 1000, 10000, 20000)] == [{0}, {179}, {358}, {538}, {592}]
    assert geometry.level_to_y(-70) == {149}  # not 150: extended precision
    assert geometry.level_to_y(-140) == {299}


def test_the_geometry_of_an_axis_frame_of_641_by_341_pixels():
    geometry = ViewGeometry(CLIENT_WIDTH, CLIENT_HEIGHT)
    assert geometry.bottom_row() == 309
    assert geometry.font_height_px() == FONT_PX
    assert [(label, x) for label, x, _ in geometry.decade_label_anchors()] == DECADE_LABELS
    assert geometry.decade_label_anchors()[0][2] == DECADE_LABEL_TOP
    assert geometry.level_label_rows()[0] == ("-140", 319)
    assert geometry.level_label_rows()[-1] == ("0", 10)


def test_a_sine_on_a_line_without_window_reads_its_amplitude():
    line = 46
    levels = line_levels_db(line * SAMPLE_RATE_HZ / FFT_SIZE, 0.5, FFT_SIZE, "off")
    assert levels[line] == pytest.approx(-6.0206, abs=5e-4)


def test_hanning_halves_a_sine_on_a_line():
    line = 46
    levels = line_levels_db(line * SAMPLE_RATE_HZ / FFT_SIZE, 0.5, FFT_SIZE, "hanning")
    assert levels[line] == pytest.approx(-12.04, abs=0.01)
    assert levels[line + 1] == pytest.approx(-18.06, abs=0.02)


def test_the_client_area_is_found_inside_the_frame():
    client = draw_plot().client
    assert (client.left, client.top, client.width, client.height) == \
        (BORDER_PX, BORDER_PX + CAPTION_AND_MENU_PX, CLIENT_WIDTH, CLIENT_HEIGHT)


@pytest.mark.parametrize("judge", [judge_peak, plot_checks.grid_where_expected,
                                   plot_checks.ticks_where_expected, plot_checks.labels_where_expected])
def test_a_correct_plot_passes_the_judge(judge):
    ok, detail = judge(draw_plot())
    assert ok, detail


@pytest.mark.parametrize("plot, judge", [
    (lambda: draw_plot(grid_column_shift=1), plot_checks.grid_where_expected),
    (lambda: draw_plot(skip_label="1k"), plot_checks.labels_where_expected),
    (lambda: draw_plot(skip_label="-70"), plot_checks.labels_where_expected),
    (lambda: draw_plot(unit=False), plot_checks.labels_where_expected),
    (lambda: draw_plot(peak_row=PEAK_ROW_3_DB_HIGH), judge_peak),
    (lambda: draw_plot(peak_row=PEAK_ROW_3_DB_LOW), judge_peak),
    (lambda: draw_plot(), lambda plot: judge_peak(plot, frequency_hz=1100.0)),
], ids=["grid-column-off-by-one", "decade-label-missing", "level-label-missing", "unit-missing",
        "peak-3-dB-high",
        "peak-3-dB-low", "peak-at-another-frequency"])
def test_a_plot_with_one_fault_fails_the_judge(plot, judge):
    assert not judge(plot())[0]


TRACE = ("3239.693:0024:trace:msgbox:MSGBOX_OnInit L\"Using PulseAudio.\"\n"
         "3241.985:0024:trace:winmm:waveInAddBuffer (0000000000008000, 000000000034E330, 48)\n"
         "3242.691:0114:trace:winmm:WID_PullData (0000000000008000)\n"
         "3242.692:0024:trace:winmm:waveInUnprepareHeader (0000000000008000, 000000000034E330, 48)\n"
         "3242.897:0024:trace:winmm:waveInAddBuffer (0000000000008000, 000000000034E330, 48)\n"
         "3243.100:0024:trace:msgbox:MSGBOX_OnInit L\"No input device found!\"\n")


def test_wine_traces_give_the_message_boxes_and_the_wave_input_calls():
    assert wine_trace.message_box_texts(TRACE) == ["Using PulseAudio.", "No input device found!"]
    assert wine_trace.call_times(TRACE, wine_trace.CAPTURE_QUEUED) == [3241.985, 3242.897]
    assert wine_trace.call_times(TRACE, wine_trace.CAPTURE_TAKEN_BACK) == [3242.692]
