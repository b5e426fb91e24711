"""Where the program must put things, computed independently of its code.

The axis frame (the frame window's client) holds the spectrum view at
(40, 10), (W - 41) x (H - 31) pixels, or further right by as much as the
widest level label needs beyond 33 pixels (see level_label_margin_px). In the view:
  x = trunc(log10(f / 10) * XScale),  XScale = (ViewWidth - 1) / log10(2205)
  y = trunc((0 - L) * YScale),        YScale = (ViewHeight - 1) / 140
with the quotients and products formed in extended precision (64-bit
significands) and both scales stored as doubles. The level mapping is
reproduced bit for bit (the product of a level and the scale is exact). The
frequency mapping goes through a logarithm whose last bit this module cannot
know: it is computed exactly (decimal arithmetic), and where the result lies
within rounding distance of a whole number either truncation is accepted. So
each position is a set of one or two acceptable pixels."""

from decimal import Decimal, localcontext
from fractions import Fraction

FREQ_MIN_HZ = 10.0
FREQ_MAX_HZ = 22050.0
LEVEL_MIN_DB = -140.0
LEVEL_MAX_DB = 0.0
LEVEL_STEP_DB = 10.0
SAMPLE_RATE_HZ = 44100

VIEW_LEFT_PX = 40
VIEW_TOP_PX = 10
FRAME_COLUMNS_RIGHT_OF_VIEW_PX = 1
FRAME_ROWS_BELOW_VIEW_PX = 21

# The axes in the frame's pixels, d being the view's row of the lowest level:
# frequency ticks over rows d + 10 to d + 13 (d + 10 is the view's row d),
# decade labels with their tops at d + 14; level ticks over x = 37 to 40 (40
# is the view's first column), level labels ending at x = 33: 7 pixels left
# of the view, wherever a wider margin puts it.
FREQUENCY_TICK_ROWS = range(10, 14)
DECADE_LABEL_TOP = 14
LEVEL_TICK_COLUMNS = range(37, 41)
LEVEL_LABEL_RIGHT_PX = 33
LEVEL_LABEL_GAP_PX = VIEW_LEFT_PX - LEVEL_LABEL_RIGHT_PX

# The level labels' characters in the faces that draw the axis font
# ("Arial"): Arial's own (and its metric twins') and, where Wine finds none
# of them, DejaVu Sans, the widest of the sans faces it falls back on:
# advance widths in font units, and the cell height (ascent plus descent)
# the font is asked for by, in the same units.
_FACES = {
    "Arial": (dict({digit: 1139 for digit in "0123456789"}, **{"-": 682, ",": 569}), 2288),
    "DejaVu Sans": (dict({digit: 1303 for digit in "0123456789"}, **{"-": 739, ",": 651}), 2384),
}
# What hinting may add to a label (each advance rounded to whole pixels).
_HINTING_PX = 2


def level_label_width_px(label, font_height_px, face="Arial"):
    """About how wide a level label is drawn in a face: its advances, unhinted."""
    advances, cell_units = _FACES[face]
    return sum(advances[c] for c in label) * font_height_px / cell_units


def level_label_margin_px(labels, font_height_px, face="Arial"):
    """The view's left margin: 40, or the widest label and the gap where
    that is wider (to a pixel or so: the font's hinting rounds each advance)."""
    widest = max((level_label_width_px(label, font_height_px, face) for label in labels), default=0)
    return max(VIEW_LEFT_PX, round(widest) + LEVEL_LABEL_GAP_PX)


def level_label_margins(labels, font_height_px):
    """The margins the program may choose, whichever face draws its labels:
    from the narrowest face's less the hinting to the widest's plus it."""
    margins = [level_label_margin_px(labels, font_height_px, face) for face in _FACES]
    return range(max(VIEW_LEFT_PX, min(margins) - _HINTING_PX), max(margins) + _HINTING_PX + 1)

_DECIMAL_DIGITS = 40
# Relative rounding distance within which a truncation may go either way:
# a double-rounded scale (2^-52) dominates the extended product (2^-63).
_AMBIGUITY = Decimal("1e-15")


EXTENDED_SIGNIFICAND_BITS = 64
DOUBLE_SIGNIFICAND_BITS = 53


def round_to_bits(value, bits):
    """A positive Fraction rounded to `bits` significant bits, ties to even."""
    exponent = value.numerator.bit_length() - value.denominator.bit_length()
    if Fraction(2) ** exponent > value:
        exponent -= 1
    unit = Fraction(2) ** (exponent - bits + 1)
    return round(value / unit) * unit


def _truncations(value):
    """The whole numbers that truncating `value` toward zero may give when
    value carries a relative rounding error of up to _AMBIGUITY."""
    low = value * (1 - _AMBIGUITY)
    high = value * (1 + _AMBIGUITY)
    return {int(low), int(value), int(high)}


class ViewGeometry:
    """The full range by default; a zoomed one shows low_hz to high_hz."""

    def __init__(self, frame_width, frame_height, low_hz=FREQ_MIN_HZ, high_hz=FREQ_MAX_HZ,
                 view_left_px=None):
        """view_left_px: the left margin, one of margins(); by default the
        one Arial's labels of the full range need."""
        self.low_hz = low_hz
        self.high_hz = high_hz
        self.frame_width = frame_width
        self.frame_height = frame_height
        self.height = frame_height - VIEW_TOP_PX - FRAME_ROWS_BELOW_VIEW_PX
        if view_left_px is None:
            view_left_px = level_label_margin_px(self.level_labels(), self.font_height_px())
        self.view_left_px = view_left_px
        self.width = frame_width - self.view_left_px - FRAME_COLUMNS_RIGHT_OF_VIEW_PX
        with localcontext() as context:
            context.prec = _DECIMAL_DIGITS
            decades = Decimal(high_hz / low_hz).log10()
            self.x_scale = float(Decimal(self.width - 1) / decades)
        exact_y_scale = Fraction(self.height - 1) / Fraction(LEVEL_MAX_DB - LEVEL_MIN_DB)
        self.y_scale = float(round_to_bits(round_to_bits(exact_y_scale, EXTENDED_SIGNIFICAND_BITS),
                                           DOUBLE_SIGNIFICAND_BITS))

    # The two mappings, in view pixels.

    def freq_to_x(self, frequency_hz):
        with localcontext() as context:
            context.prec = _DECIMAL_DIGITS
            ratio = frequency_hz / self.low_hz  # a double, as in the program
            return _truncations(Decimal(ratio).log10() * Decimal(self.x_scale))

    def level_to_y(self, level_db):
        return {int((Fraction(LEVEL_MAX_DB) - Fraction(level_db)) * Fraction(self.y_scale))}

    def x_to_frequency(self, x):
        """The frequency at the left edge of view column x (for reading pictures)."""
        return self.low_hz * 10 ** (x / self.x_scale)

    def y_to_level(self, y):
        """The level whose truncated row is y: the upper end of the row's range."""
        return LEVEL_MAX_DB - y / self.y_scale

    # The grid and the axes, in view or axis-frame pixels.

    def grid_frequencies(self):
        return [i * 10.0 ** k for k in range(5) for i in range(1, 10)]

    def grid_levels(self):
        levels = []
        level = LEVEL_MIN_DB
        while level <= LEVEL_MAX_DB:
            levels.append(level)
            level += LEVEL_STEP_DB
        return levels

    def grid_columns(self):
        """Acceptable-column sets of the vertical grid lines inside the view."""
        return [columns for columns in map(self.freq_to_x, self.grid_frequencies())
                if all(0 <= x < self.width for x in columns)]

    def grid_rows(self):
        return [rows for rows in map(self.level_to_y, self.grid_levels())
                if all(0 <= y < self.height for y in rows)]

    def bottom_row(self):
        """d: the row of the lowest level, the view's last row or the one above."""
        return max(self.level_to_y(LEVEL_MIN_DB))

    def font_height_px(self):
        return max(self.height, 100) // 50 + 5

    def decade_label_anchors(self):
        """(label, x, top) in axis-frame pixels: centred at x, top edge at top."""
        top = self.bottom_row() + DECADE_LABEL_TOP
        return [(label, min(self.freq_to_x(10.0 ** k)) + self.view_left_px, top)
                for k, label in ((1, "10"), (2, "100"), (3, "1k"), (4, "10k"))]

    def level_label_rows(self):
        """(label, y) in axis-frame pixels: the tick row of each level label."""
        return [("%d" % int(level), min(self.level_to_y(level)) + VIEW_TOP_PX)
                for level in self.grid_levels()]

    def frequency_tick_columns(self):
        return [min(self.freq_to_x(i * 10.0 ** k)) + self.view_left_px
                for k in range(1, 5) for i in range(1, 10)]

    def level_labels(self):
        return ["%d" % level for level in self.grid_levels()]

    def margins(self, level_labels=None):
        """The left margins the level labels (by default the full range's)
        allow, whichever face draws them."""
        return level_label_margins(level_labels or self.level_labels(), self.font_height_px())

    def level_tick_columns(self):
        return range(self.view_left_px - 3, self.view_left_px + 1)

    def level_label_right_px(self):
        return self.view_left_px - LEVEL_LABEL_GAP_PX
