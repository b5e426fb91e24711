"""Screenshots as numpy arrays (rows, columns, RGB), and locating the frame's
client area in them."""

import numpy as np
from PIL import Image, ImageGrab

BLACK = (0, 0, 0)
GRID_GREY = (80, 80, 80)
LABEL_GREY = (192, 192, 192)
LEFT_GREEN = (0, 255, 0)
RIGHT_RED = (255, 0, 0)
HELD_GREEN = (0, 128, 0)
REFERENCE_GREEN = (160, 255, 160)
REFERENCE_RED = (255, 160, 160)


class Rect:
    def __init__(self, left, top, width, height):
        self.left, self.top, self.width, self.height = left, top, width, height

    def slices(self):
        return slice(self.top, self.top + self.height), slice(self.left, self.left + self.width)

    def __repr__(self):
        return "Rect(%d, %d, %dx%d)" % (self.left, self.top, self.width, self.height)


class Picture:
    def __init__(self, pixels):
        self.pixels = pixels  # uint8, shape (height, width, 3)
        self.height, self.width = pixels.shape[:2]
        # Each pixel as one number, 0xRRGGBB: one comparison finds a colour.
        self.codes = _code(*(pixels[:, :, channel].astype(np.uint32) for channel in range(3)))

    @classmethod
    def grab(cls, display, rect):
        """The part of this rectangle that lies on the X display's screen (a
        maximised frame's border lies beyond its edges)."""
        screen = ImageGrab.grab(xdisplay=display)
        box = (max(rect.left, 0), max(rect.top, 0), min(rect.left + rect.width, screen.width),
               min(rect.top + rect.height, screen.height))
        return cls(np.asarray(screen.crop(box).convert("RGB")))

    @classmethod
    def from_file(cls, path):
        with Image.open(path) as image:
            return cls(np.asarray(image.convert("RGB")))

    def save_png(self, path):
        Image.fromarray(self.pixels).save(path)

    def pixel(self, x, y):
        return tuple(int(value) for value in self.pixels[y, x])

    def mask(self, colour, rect=None):
        """Whether each pixel (of the rectangle, if given) is exactly this colour."""
        codes = self.codes[rect.slices()] if rect else self.codes
        return codes == _code(*colour)

    def count(self, colour, rect):
        return int(self.mask(colour, rect).sum())

    def find_client_area(self):
        """The frame window's client area in this picture of the whole frame.

        The program paints its client area black (the axis frame's margins and
        the view), while Wine draws the border, caption and menu bar in light
        system colours. Left, right and bottom border are as thick as the first
        run of non-black pixels is short over the middle rows and columns; the
        top (caption and menu bar) is found in the middle columns, where no
        axis label lies above the view."""
        lit = self.codes != _code(*BLACK)
        rows = lit[self.height // 3:2 * self.height // 3]
        columns = lit[:, self.width // 4:3 * self.width // 4].T
        left = _lit_run(rows).min()
        right = _lit_run(rows[:, ::-1]).min()
        bottom = _lit_run(columns[:, ::-1]).min()
        top = _lit_run(columns).max()
        return Rect(int(left), int(top), int(self.width - left - right),
                    int(self.height - top - bottom))


def _code(red, green, blue):
    return (red << 16) | (green << 8) | blue


def _lit_run(lines):
    """Per line (a row of a 2-D boolean array), how many elements from its
    start are true before the first false one."""
    return np.where(lines.all(axis=1), lines.shape[1], lines.argmin(axis=1))
