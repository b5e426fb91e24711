"""Reading the plot in a screenshot of the frame: where the view lies, the
traces' upper envelopes, their peaks."""

from picture import Rect
from view_geometry import VIEW_LEFT_PX, VIEW_TOP_PX, ViewGeometry


class Plot:
    """A screenshot of the frame window together with the geometry that its
    client area (the axis frame) calls for."""

    def __init__(self, picture):
        self.picture = picture
        self.client = picture.find_client_area()
        self.geometry = ViewGeometry(self.client.width, self.client.height)
        self.view = Rect(self.client.left + VIEW_LEFT_PX, self.client.top + VIEW_TOP_PX,
                         self.geometry.width, self.geometry.height)
        self._envelopes = {}

    def view_pixel(self, x, y):
        return self.picture.pixel(self.view.left + x, self.view.top + y)

    def frame_pixel(self, x, y):
        return self.picture.pixel(self.client.left + x, self.client.top + y)

    def count_in_view(self, colour, first_x=0, end_x=None):
        """Pixels of the colour in the view columns first_x <= x < end_x."""
        end_x = self.geometry.width if end_x is None else end_x
        return self.picture.count(colour, Rect(self.view.left + first_x, self.view.top,
                                               end_x - first_x, self.view.height))

    def view_columns_of(self, colour, y):
        return [x - self.view.left for x in
                self.picture.columns_of(colour, self.view.top + y, self.view.left,
                                        self.view.left + self.view.width)]

    def envelope(self, colour):
        """Per view column, the topmost row holding the colour, or None."""
        if colour not in self._envelopes:
            tops = [None] * self.geometry.width
            for y in range(self.geometry.height):
                for x in self.view_columns_of(colour, y):
                    if tops[x] is None:
                        tops[x] = y
            self._envelopes[colour] = tops
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
