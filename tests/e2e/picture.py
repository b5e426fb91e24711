"""Screenshots as pixel arrays: PPM parsing and locating the frame's client area."""

import subprocess

BLACK = (0, 0, 0)
GRID_GREY = (80, 80, 80)
LABEL_GREY = (192, 192, 192)
LEFT_GREEN = (0, 255, 0)
RIGHT_RED = (255, 0, 0)
CONVERT_TIMEOUT_S = 20


class Rect:
    def __init__(self, left, top, width, height):
        self.left, self.top, self.width, self.height = left, top, width, height

    def __repr__(self):
        return "Rect(%d, %d, %dx%d)" % (self.left, self.top, self.width, self.height)


class Picture:
    def __init__(self, width, height, rgb_bytes):
        self.width = width
        self.height = height
        self.rgb = rgb_bytes

    @classmethod
    def from_ppm(cls, data):
        """Parses a binary PPM (P6, maxval 255) as ImageMagick writes it."""
        fields = []
        position = 0
        while len(fields) < 4:
            while data[position:position + 1].isspace():
                position += 1
            if data[position:position + 1] == b"#":
                position = data.index(b"\n", position) + 1
                continue
            end = position
            while not data[end:end + 1].isspace():
                end += 1
            fields.append(data[position:end])
            position = end
        position += 1  # the single whitespace after maxval
        magic, width, height, maxval = fields[0], int(fields[1]), int(fields[2]), int(fields[3])
        if magic != b"P6" or maxval != 255:
            raise ValueError("not an 8-bit binary PPM")
        pixels = data[position:position + 3 * width * height]
        if len(pixels) != 3 * width * height:
            raise ValueError("truncated PPM")
        return cls(width, height, pixels)

    @classmethod
    def from_file(cls, path):
        """Any image ImageMagick reads (PNG for example)."""
        ppm = subprocess.run(["convert", path, "ppm:-"], capture_output=True, check=True,
                             timeout=CONVERT_TIMEOUT_S).stdout
        return cls.from_ppm(ppm)

    def pixel(self, x, y):
        i = 3 * (y * self.width + x)
        return (self.rgb[i], self.rgb[i + 1], self.rgb[i + 2])

    def save_png(self, path):
        header = b"P6\n%d %d\n255\n" % (self.width, self.height)
        subprocess.run(["convert", "ppm:-", path], input=header + self.rgb, check=True,
                       timeout=CONVERT_TIMEOUT_S)

    def columns_of(self, colour, y, first_x, end_x):
        """The x of every pixel of exactly this colour in row y, first_x <= x < end_x."""
        row_start = 3 * y * self.width
        pattern = bytes(colour)
        found = []
        position = self.rgb.find(pattern, row_start + 3 * first_x, row_start + 3 * end_x)
        while position >= 0:
            offset = position - row_start
            if offset % 3 == 0:
                found.append(offset // 3)
                position = self.rgb.find(pattern, position + 3, row_start + 3 * end_x)
            else:
                position = self.rgb.find(pattern, position + 1, row_start + 3 * end_x)
        return found

    def count(self, colour, rect):
        return sum(len(self.columns_of(colour, y, rect.left, rect.left + rect.width))
                   for y in range(rect.top, rect.top + rect.height))

    def find_client_area(self):
        """The frame window's client area in this picture of the whole frame.

        The program paints its client area black (the axis frame's margins and
        the view), while Wine draws the border, caption and menu bar in light
        system colours. Left, right and bottom border are as thick as the first
        run of non-black pixels is short over the middle rows and columns; the
        top (caption and menu bar) is found in the middle columns, where no
        axis label lies above the view."""
        middle_rows = range(self.height // 3, 2 * self.height // 3)
        middle_columns = range(self.width // 4, 3 * self.width // 4)
        left = min(self._run_length(0, y, 1, 0) for y in middle_rows)
        right = min(self._run_length(self.width - 1, y, -1, 0) for y in middle_rows)
        bottom = min(self._run_length(x, self.height - 1, 0, -1) for x in middle_columns)
        top = max(self._run_length(x, 0, 0, 1) for x in middle_columns)
        return Rect(left, top, self.width - left - right, self.height - top - bottom)

    def _run_length(self, x, y, dx, dy):
        """How many pixels from (x, y) in direction (dx, dy) are not black."""
        length = 0
        while 0 <= x < self.width and 0 <= y < self.height and self.pixel(x, y) != BLACK:
            x += dx
            y += dy
            length += 1
        return length
