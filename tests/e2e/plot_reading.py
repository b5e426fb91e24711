"""Reading the plot in a screenshot of the frame: where the view lies, the
traces' upper envelopes, their peaks."""

import numpy as np

from picture import BLACK, GRID_GREY, Rect
from view_geometry import VIEW_TOP_PX, ViewGeometry


# Rows of level ticks that tell where the view begins.
MIN_TICK_ROWS = 3


class Plot:
    """A screenshot of the frame window together with the geometry that its
    client area (the axis frame) calls for."""

    def __init__(self, picture, low_hz=None, high_hz=None, view_left_px=None):
        self.picture = picture
        self.client = picture.find_client_area()
        full = ViewGeometry(self.client.width, self.client.height)
        if view_left_px is None:
            view_left_px = self._find_view_left(full)
        self.geometry = ViewGeometry(self.client.width, self.client.height,
                                     *((low_hz, high_hz) if low_hz else ()), view_left_px=view_left_px)
        self.view = Rect(self.client.left + self.geometry.view_left_px, self.client.top + VIEW_TOP_PX,
                         self.geometry.width, self.geometry.height)
        self._envelopes = {}
        self._view_masks = {}

    def _find_view_left(self, full):
        """The left margin among those the labels allow: the one whose level
        ticks end on it, grey over the three columns left of the view on at
        least three rows where the column before them is black; Arial's
        margin where none is seen."""
        margins = full.margins()
        area = Rect(self.client.left, self.client.top + VIEW_TOP_PX, margins[-1] + 1, full.height)
        grey, black = self.picture.mask(GRID_GREY, area), self.picture.mask(BLACK, area)
        for margin in margins:
            ticks = grey[:, margin - 3] & grey[:, margin - 2] & grey[:, margin - 1] & black[:, margin - 4]
            if int(ticks.sum()) >= MIN_TICK_ROWS:
                return margin
        return full.view_left_px

    def zoomed(self, low_hz, high_hz):
        """The same picture read with the geometry of a view showing low_hz
        to high_hz."""
        return Plot(self.picture, low_hz, high_hz, self.geometry.view_left_px)

    def view_mask(self, colour):
        """Whether each pixel of the view (rows, columns) has this colour."""
        if colour not in self._view_masks:
            self._view_masks[colour] = self.picture.mask(colour, self.view)
        return self._view_masks[colour]

    def frame_mask(self, colour, rect):
        """The same for a rectangle of the axis frame, clipped to the client area."""
        left, top = max(rect.left, 0), max(rect.top, 0)
        right = min(rect.left + rect.width, self.client.width)
        bottom = min(rect.top + rect.height, self.client.height)
        return self.picture.mask(colour, Rect(self.client.left + left, self.client.top + top,
                                              max(0, right - left), max(0, bottom - top)))

    def frame_pixel(self, x, y):
        return self.picture.pixel(self.client.left + x, self.client.top + y)

    def count_in_view(self, colour, first_x=0, end_x=None):
        """Pixels of the colour in the view columns first_x <= x < end_x."""
        end_x = self.geometry.width if end_x is None else end_x
        return int(self.view_mask(colour)[:, first_x:end_x].sum())

    def envelope(self, colour):
        """Per view column, the topmost row holding the colour, or None."""
        if colour not in self._envelopes:
            mask = self.view_mask(colour)
            tops = mask.argmax(axis=0)
            self._envelopes[colour] = [int(top) if drawn else None
                                       for top, drawn in zip(tops, mask.any(axis=0))]
        return self._envelopes[colour]

    def peak(self, colour, first_x=0, end_x=None):
        """(column, row) of the highest point of the colour's trace between
        the columns given, or None if the colour is absent there."""
        tops = self.envelope(colour)
        end_x = len(tops) if end_x is None else end_x
        found = [(y, x) for x, y in enumerate(tops[first_x:end_x], first_x) if y is not None]
        if not found:
            return None
        y, x = min(found)
        return x, y

    def level_of_row(self, y):
        return self.geometry.y_to_level(y)

    def width_above(self, colour, peak_x, drop_db):
        """How many neighbouring columns around peak_x the trace's envelope
        stays within drop_db of the peak."""
        tops = self.envelope(colour)
        limit_y = tops[peak_x] + drop_db * self.geometry.y_scale
        width = 1
        for step in (-1, 1):
            x = peak_x + step
            while 0 <= x < len(tops) and tops[x] is not None and tops[x] <= limit_y:
                width += 1
                x += step
        return width


def any_of(masks):
    """Elementwise or of several boolean arrays."""
    return np.logical_or.reduce(masks)
