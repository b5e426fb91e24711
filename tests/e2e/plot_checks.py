"""Judgements of one plot: traces at the tone's column and level, the grid
where the geometry puts it, ticks and labels in the margins."""

import numpy as np

from picture import GRID_GREY, LABEL_GREY, LEFT_GREEN, RIGHT_RED, Rect
from plot_reading import any_of
from tone_model import expected_peak
from view_geometry import FREQUENCY_TICK_ROWS, VIEW_TOP_PX

PEAK_COLUMN_TOLERANCE_PX = 1
PEAK_LEVEL_TOLERANCE_DB = 1.0
MIN_LABEL_PIXELS = 3
VISIBLE_GRID_COLUMNS = 29   # 10 Hz to 90 Hz, ..., 10 kHz to 20 kHz
GRID_ROWS = 15              # -140 dB to 0 dB
TRACE_COLOURS = (LEFT_GREEN, RIGHT_RED)
# The unit of the levels stands in the view's top left corner, its text from
# (7, 7) on: at most 15 characters of the label font, one line high.
UNIT_LEFT_PX = 7
UNIT_CHARACTERS = 15


def unit_corner(plot):
    """Whether each pixel of the view (rows, columns) may hold the unit's text."""
    font_px = plot.geometry.font_height_px()
    corner = np.zeros((plot.geometry.height, plot.geometry.width), dtype=bool)
    corner[UNIT_LEFT_PX:UNIT_LEFT_PX + font_px + 1, UNIT_LEFT_PX:UNIT_LEFT_PX + UNIT_CHARACTERS * font_px * 2 // 3] = True
    return corner


def peak_matches_tone(plot, colour, frequency_hz, amplitude, fft_size, window):
    """(ok, detail): the colour's highest point lies at the column of the
    tone's strongest line and at its level."""
    line_hz, level_db = expected_peak(frequency_hz, amplitude, fft_size, window)
    found = plot.peak(colour)
    if found is None:
        return False, "no trace of this colour"
    x, y = found
    columns = plot.geometry.freq_to_x(line_hz)
    column_error = min(abs(x - column) for column in columns)
    shown_db = plot.level_of_row(y)
    # The row stands for levels from shown_db down to one row lower.
    level_error = max(0.0, shown_db - 1 / plot.geometry.y_scale - level_db, level_db - shown_db)
    detail = "peak at column %d, %.1f dB; expected column %s, %.1f dB (line %.1f Hz)" % (
        x, shown_db, sorted(columns), level_db, line_hz)
    return (column_error <= PEAK_COLUMN_TOLERANCE_PX and level_error <= PEAK_LEVEL_TOLERANCE_DB,
            detail)


def quiet_between(plot, colour, low_hz, high_hz, limit_db):
    """(ok, detail): in every column from low_hz to high_hz the colour's
    trace lies below limit_db. Far from every tone, a clean capture shows
    only the noise of 16-bit samples there; a capture that is not contiguous
    shows a skirt of leakage tens of decibels higher. Where the red trace,
    drawn last, covers the green one, the column must hold some trace."""
    geometry = plot.geometry
    first_x, last_x = min(geometry.freq_to_x(low_hz)), max(geometry.freq_to_x(high_hz))
    tops = plot.envelope(colour)[first_x:last_x + 1]
    any_trace = [any(plot.envelope(c)[x] is not None for c in TRACE_COLOURS)
                 for x in range(first_x, last_x + 1)]
    missing = [x for x, drawn in enumerate(any_trace, first_x) if not drawn]
    drawn = [(top, x) for x, top in enumerate(tops, first_x) if top is not None]
    if missing or not drawn:
        return False, "no trace in columns %s" % missing[:5]
    top, x = min(drawn)
    highest_db = plot.level_of_row(top)
    return highest_db < limit_db, "highest at %.1f dB (column %d) between %g and %g Hz, limit %g dB" % (
        highest_db, x, low_hz, high_hz, limit_db)


def tone_shown(plot, colour, frequency_hz, above_db=-60.0, columns_each_side=3):
    """Whether the colour's trace rises above above_db near the tone's column."""
    columns = plot.geometry.freq_to_x(frequency_hz)
    tops = plot.envelope(colour)[max(0, min(columns) - columns_each_side):max(columns) + columns_each_side + 1]
    return any(top is not None and plot.level_of_row(top) > above_db for top in tops)


def floor_scatter_db(plot, colour, band_hz):
    """The standard deviation, in dB, of the colour's column levels between
    the two frequencies of band_hz: how much a noise floor scatters."""
    first, end = (min(plot.geometry.freq_to_x(f)) for f in band_hz)
    tops = [top for top in plot.envelope(colour)[first:end] if top is not None]
    return float(np.std([plot.level_of_row(top) for top in tops]))


def grid_where_expected(plot):
    """(ok, detail): every pixel of the predicted grid lines is grid grey
    (or covered by a trace or the unit), and no grid grey lies anywhere else
    (the unit's smoothed text aside)."""
    geometry = plot.geometry
    corner = unit_corner(plot)
    grey = plot.view_mask(GRID_GREY) & ~corner
    grid_or_trace = any_of([grey, corner] + [plot.view_mask(colour) for colour in TRACE_COLOURS])
    column_greyness, row_greyness = grey.sum(axis=0), grey.sum(axis=1)
    columns = _settle(geometry.grid_columns(), lambda x: column_greyness[x])
    rows = _settle(geometry.grid_rows(), lambda y: row_greyness[y])
    broken_columns = [x for x in columns if not grid_or_trace[:, x].all()]
    broken_rows = [y for y in rows if not grid_or_trace[y, :].all()]
    off_grid = grey.copy()
    off_grid[:, columns] = False
    off_grid[rows, :] = False
    stray = [(int(x), int(y)) for y, x in np.argwhere(off_grid)]
    ok = len(columns) == VISIBLE_GRID_COLUMNS and len(rows) == GRID_ROWS and not broken_columns and not broken_rows and not stray
    detail = "%d grid columns, %d grid rows; incomplete columns %s, rows %s; %d grey pixels off the grid%s" % (
        len(columns), len(rows), broken_columns[:5], broken_rows[:5], len(stray),
        (" e.g. %s" % (stray[:3],)) if stray else "")
    return ok, detail


def _settle(candidate_sets, greyness):
    """Picks, from each set of acceptable positions, the one the picture uses."""
    return [max(sorted(candidates), key=greyness) for candidates in candidate_sets]


def ticks_where_expected(plot):
    """(ok, detail): the tick marks in the margins are grid grey."""
    geometry = plot.geometry
    bottom = geometry.bottom_row()
    view_end_row = VIEW_TOP_PX + geometry.height
    missing = []
    for x in geometry.frequency_tick_columns():
        if x >= plot.client.width:
            continue
        for row in FREQUENCY_TICK_ROWS:
            y = bottom + row
            if y >= view_end_row and plot.frame_pixel(x, y) != GRID_GREY:
                missing.append((x, y))
    for label, y in geometry.level_label_rows():
        for x in geometry.level_tick_columns():
            if x < geometry.view_left_px and plot.frame_pixel(x, y) != GRID_GREY:
                missing.append((x, y))
    # The view begins where the widest level label leaves room for it.
    margin_ok = geometry.view_left_px in geometry.margins()
    return not missing and margin_ok, "%d tick pixels not grid grey%s; left margin %d of %s" % (
        len(missing), (" e.g. %s" % (missing[:4],)) if missing else "", geometry.view_left_px,
        list(geometry.margins()))


def labels_where_expected(plot):
    """(ok, detail): each axis label is drawn (label grey) at its place in
    the margins, and no label grey lies inside the view but the unit's."""
    geometry = plot.geometry
    font_px = geometry.font_height_px()
    label_right = geometry.level_label_right_px()
    problems = []
    for label, y in geometry.level_label_rows():
        top = max(0, y - font_px)
        pixels = _label_pixels(plot, Rect(0, top, label_right + 1, y + font_px // 2 - top))
        right_end = max((x for x, _ in pixels), default=-1)
        if len(pixels) < MIN_LABEL_PIXELS or right_end < label_right - font_px // 2:
            problems.append("level %s: %d pixels, right end %d" % (label, len(pixels), right_end))
    for label, x, top in geometry.decade_label_anchors():
        first_x = max(x - font_px, label_right + 1)
        pixels = _label_pixels(plot, Rect(first_x, top, x + font_px - first_x, font_px + 2))
        centred = first_x == x - font_px
        centre = sum(column for column, _ in pixels) / len(pixels) if pixels else None
        if len(pixels) < MIN_LABEL_PIXELS or (centred and abs(centre - x) > font_px / 2):
            problems.append("decade %s: %d pixels, centre %s, expected %d" % (label, len(pixels), centre, x))
    unit = plot.view_mask(LABEL_GREY) & unit_corner(plot)
    inside_view = plot.count_in_view(LABEL_GREY) - int(unit.sum())
    if inside_view:
        problems.append("%d label pixels inside the view" % inside_view)
    if not unit.any():
        problems.append("no unit in the view's top left corner")
    return not problems, "; ".join(problems) or "15 level and 4 decade labels in place"


def _label_pixels(plot, rect):
    """(x, y) in the axis frame of every label-grey pixel in the rectangle."""
    found = np.argwhere(plot.frame_mask(LABEL_GREY, rect))
    return [(int(x) + max(rect.left, 0), int(y) + max(rect.top, 0)) for y, x in found]
