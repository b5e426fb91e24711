"""Checks of the end-to-end judges themselves, on pictures drawn here: each
judge accepts a correct plot and rejects one with a single fault."""

import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import plot_checks  # noqa: E402
import wine_trace  # noqa: E402
from picture import BLACK, GRID_GREY, LABEL_GREY, LEFT_GREEN, Picture  # noqa: E402
from plot_reading import Plot  # noqa: E402
from tone_model import SAMPLE_RATE_HZ, expected_peak, line_levels_db  # noqa: E402
from view_geometry import VIEW_LEFT_PX, VIEW_TOP_PX, ViewGeometry  # noqa: E402

BORDER_PX = 4
CAPTION_AND_MENU_PX = 38
SYSTEM_GREY = (212, 208, 200)
CLIENT_WIDTH = 641
CLIENT_HEIGHT = 341
TONE_HZ = 1234.5
TONE_AMPLITUDE = 0.5
FFT_SIZE = 2048


class Canvas:
    """A frame window's picture: light border, caption and menu bar around a
    black client area, drawn into by client coordinates."""

    def __init__(self, client_width, client_height):
        self.left, self.top = BORDER_PX, BORDER_PX + CAPTION_AND_MENU_PX
        self.width = client_width + 2 * BORDER_PX
        self.height = self.top + client_height + BORDER_PX
        self.rgb = bytearray(bytes(SYSTEM_GREY) * (self.width * self.height))
        for y in range(client_height):
            for x in range(client_width):
                self.set(x, y, BLACK)

    def set(self, x, y, colour):
        i = 3 * ((self.top + y) * self.width + self.left + x)
        self.rgb[i:i + 3] = bytes(colour)

    def picture(self):
        return Picture(self.width, self.height, bytes(self.rgb))


def draw_plot(geometry, shift_grid_column=0, skip_label=None, peak_shift_db=0.0):
    """A plot as the program draws it, with optional faults."""
    canvas = Canvas(geometry.frame_width, geometry.frame_height)

    def view(x, y, colour):
        canvas.set(x + VIEW_LEFT_PX, y + VIEW_TOP_PX, colour)

    for index, columns in enumerate(geometry.grid_columns()):
        x = min(columns) + (shift_grid_column if index == 10 else 0)
        for y in range(geometry.height):
            view(x, y, GRID_GREY)
    for rows in geometry.grid_rows():
        for x in range(geometry.width):
            view(x, min(rows), GRID_GREY)
    bottom = geometry.bottom_row()
    for x in geometry.frequency_tick_columns():
        if x < geometry.frame_width:
            for row in range(10, 14):
                canvas.set(x, bottom + row, GRID_GREY)
    font_px = geometry.font_height_px()
    for label, y in geometry.level_label_rows():
        for x in range(37, 41):
            canvas.set(x, y, GRID_GREY)
        if label != skip_label:
            for row in range(max(0, y - 3), y + 2):
                for x in range(28, 34):
                    canvas.set(x, row, LABEL_GREY)
    for label, x, top in geometry.decade_label_anchors():
        if label != skip_label:
            for row in range(top + 1, top + font_px - 2):
                for column in range(x - 3, x + 4):
                    canvas.set(column, row, LABEL_GREY)
    line_hz, level_db = expected_peak(TONE_HZ, TONE_AMPLITUDE, FFT_SIZE, "hanning")
    peak_x = min(geometry.freq_to_x(line_hz))
    peak_y = min(geometry.level_to_y(level_db + peak_shift_db))
    for y in range(peak_y, geometry.height):
        view(peak_x, y, LEFT_GREEN)
    for x in range(peak_x - 20, peak_x + 21):
        view(x, geometry.height - 30, LEFT_GREEN)
    return Plot(canvas.picture())


def judge_peak(plot):
    return plot_checks.peak_matches_tone(plot, LEFT_GREEN, TONE_HZ, TONE_AMPLITUDE, FFT_SIZE, "hanning")


class GeometryTest(unittest.TestCase):
    def test_view_of_601_by_301_pixels(self):
        geometry = ViewGeometry(601 + 41, 301 + 31)
        self.assertEqual((geometry.width, geometry.height), (601, 301))
        self.assertEqual([geometry.freq_to_x(f) for f in (10, 100, 1000, 10000, 20000)],
                         [{0}, {179}, {358}, {538}, {592}])
        self.assertEqual(geometry.level_to_y(-70), {149})  # not 150: extended precision
        self.assertEqual(geometry.level_to_y(-140), {299})

    def test_axis_frame_of_641_by_341_pixels(self):
        geometry = ViewGeometry(641, 341)
        self.assertEqual(geometry.bottom_row(), 309)
        self.assertEqual(geometry.font_height_px(), 11)
        self.assertEqual([(label, x) for label, x, _ in geometry.decade_label_anchors()],
                         [("10", 40), ("100", 219), ("1k", 398), ("10k", 577)])
        self.assertEqual(geometry.decade_label_anchors()[0][2], 323)
        self.assertEqual(geometry.level_label_rows()[0], ("-140", 319))
        self.assertEqual(geometry.level_label_rows()[-1], ("0", 10))


class ToneModelTest(unittest.TestCase):
    def test_sine_on_a_line_without_window_reads_its_amplitude(self):
        line = 46
        levels = line_levels_db(line * SAMPLE_RATE_HZ / FFT_SIZE, 0.5, FFT_SIZE, "off")
        self.assertAlmostEqual(levels[line], -6.0206, places=3)

    def test_hanning_halves_a_sine_on_a_line(self):
        line = 46
        levels = line_levels_db(line * SAMPLE_RATE_HZ / FFT_SIZE, 0.5, FFT_SIZE, "hanning")
        self.assertAlmostEqual(levels[line], -12.04, delta=0.01)
        self.assertAlmostEqual(levels[line + 1], -18.06, delta=0.02)


class PlotJudgesTest(unittest.TestCase):
    def setUp(self):
        self.geometry = ViewGeometry(CLIENT_WIDTH, CLIENT_HEIGHT)

    def test_client_area_is_found_inside_the_frame(self):
        plot = draw_plot(self.geometry)
        client = plot.client
        self.assertEqual((client.left, client.top, client.width, client.height),
                         (BORDER_PX, BORDER_PX + CAPTION_AND_MENU_PX, CLIENT_WIDTH, CLIENT_HEIGHT))

    def test_a_correct_plot_passes_every_judge(self):
        plot = draw_plot(self.geometry)
        for judge in (judge_peak, plot_checks.grid_where_expected,
                      plot_checks.ticks_where_expected, plot_checks.labels_where_expected):
            ok, detail = judge(plot)
            self.assertTrue(ok, "%s: %s" % (judge.__name__, detail))

    def test_a_grid_line_one_column_off_fails(self):
        ok, _ = plot_checks.grid_where_expected(draw_plot(self.geometry, shift_grid_column=1))
        self.assertFalse(ok)

    def test_a_missing_label_fails(self):
        self.assertFalse(plot_checks.labels_where_expected(draw_plot(self.geometry, skip_label="1k"))[0])
        self.assertFalse(plot_checks.labels_where_expected(draw_plot(self.geometry, skip_label="-70"))[0])

    def test_a_peak_3_db_off_fails(self):
        self.assertFalse(judge_peak(draw_plot(self.geometry, peak_shift_db=3.0))[0])
        self.assertFalse(judge_peak(draw_plot(self.geometry, peak_shift_db=-3.0))[0])

    def test_a_peak_at_another_frequency_fails(self):
        ok, _ = plot_checks.peak_matches_tone(draw_plot(self.geometry), LEFT_GREEN, 1100.0,
                                              TONE_AMPLITUDE, FFT_SIZE, "hanning")
        self.assertFalse(ok)


class WineTraceTest(unittest.TestCase):
    LOG = ("3239.693:0024:trace:msgbox:MSGBOX_OnInit L\"Using PulseAudio.\"\n"
           "3241.985:0024:trace:winmm:waveInAddBuffer (0000000000008000, 000000000034E330, 48)\n"
           "3242.691:0114:trace:winmm:WID_PullData (0000000000008000)\n"
           "3242.692:0024:trace:winmm:waveInUnprepareHeader (0000000000008000, 000000000034E330, 48)\n"
           "3242.897:0024:trace:winmm:waveInAddBuffer (0000000000008000, 000000000034E330, 48)\n"
           "3243.100:0024:trace:msgbox:MSGBOX_OnInit L\"No input device found!\"\n")

    def test_message_box_texts(self):
        self.assertEqual(wine_trace.message_box_texts(self.LOG),
                         ["Using PulseAudio.", "No input device found!"])

    def test_call_times(self):
        self.assertEqual(wine_trace.call_times(self.LOG, wine_trace.CAPTURE_QUEUED), [3241.985, 3242.897])
        self.assertEqual(wine_trace.call_times(self.LOG, wine_trace.CAPTURE_TAKEN_BACK), [3242.692])


if __name__ == "__main__":
    unittest.main()
