"""Reading the spectrum view's readouts off a screenshot: the box under the
mouse and the peak values' box in the top right corner, both black boxes
framed in the label grey, their text read by Debian's tesseract OCR."""

import re
import subprocess
import tempfile

import numpy as np
from PIL import Image

from picture import LABEL_GREY

MARKER_BLUE = (0, 160, 255)
# A box's frame is a run of label grey at least this long; the axis labels
# lie outside the view and no trace or grid line has that colour.
FRAME_MIN_RUN_PX = 30
OCR_SCALE = 4
OCR_BORDER_PX = 8
OCR_TIMEOUT_S = 30
NUMBER = r"([-+]?\d+(?:,\d+)?)"
READOUT = re.compile(NUMBER + r" ?Hz L ?" + NUMBER + r" ?dB R ?" + NUMBER + r" ?dB")
PEAK_LINE = re.compile(r"([LR]) ?" + NUMBER + r" ?Hz ?" + NUMBER + r" ?dB")


def german_number(text):
    return float(text.replace(",", "."))


def framed_boxes(plot):
    """(left, top, right, bottom) in view pixels, inclusive, of each box
    framed in label grey inside the view."""
    grey = plot.view_mask(LABEL_GREY)
    boxes = []
    rows = [y for y in range(grey.shape[0]) if _longest_run(grey[y]) >= FRAME_MIN_RUN_PX]
    # A box's top and bottom rows: the first and the last of a block of
    # framed rows whose left ends agree.
    seen = set()
    for top in rows:
        left, right = _run_ends(grey[top])
        if (left, right) in seen:
            continue
        bottoms = [y for y in rows if y > top and _run_ends(grey[y]) == (left, right)
                   and grey[top:y + 1, left].all() and grey[top:y + 1, right].all()]
        if bottoms:
            seen.add((left, right))
            boxes.append((left, top, right, max(bottoms)))
    return boxes


def read_box(plot, box, characters="0123456789,-+HzdBLRFSP/ "):
    """The text inside a box, as tesseract reads it (of these characters):
    brightest channel, inverted, enlarged."""
    left, top, right, bottom = box
    inside = plot.picture.pixels[plot.view.top + top + 1:plot.view.top + bottom,
                                 plot.view.left + left + 1:plot.view.left + right]
    return _read(inside, characters)


def read_level_labels(plot):
    """The level axis's labels, top to bottom, as numbers (German decimal
    comma), as tesseract reads the margin left of the view."""
    font_px = plot.geometry.font_height_px()
    margin = plot.picture.pixels[plot.client.top:plot.view.top + plot.geometry.height + font_px,
                                 plot.client.left:plot.client.left + plot.geometry.level_label_right_px() + 2]
    return [german_number(label) for label in re.findall(NUMBER, _read(margin, "0123456789,-"))]


def _read(pixels, characters):
    """The text of light pixels on black, with a black border around them."""
    bright = np.pad(pixels.max(axis=2), OCR_BORDER_PX)
    image = Image.fromarray((255 - bright).astype(np.uint8))
    image = image.resize((image.width * OCR_SCALE, image.height * OCR_SCALE), Image.LANCZOS)
    with tempfile.NamedTemporaryFile(suffix=".png") as file:
        image.save(file.name)
        found = subprocess.run(["tesseract", file.name, "stdout", "--psm", "6", "-c",
                                "tessedit_char_whitelist=" + characters],
                               capture_output=True, text=True, timeout=OCR_TIMEOUT_S)
    return found.stdout.strip()


def _run_ends(line):
    """First and last index of the longest run of True."""
    best, start, best_ends = 0, None, (None, None)
    for index, value in enumerate(list(line) + [False]):
        if value and start is None:
            start = index
        elif not value and start is not None:
            if index - start > best:
                best, best_ends = index - start, (start, index - 1)
            start = None
    return best_ends


def _longest_run(line):
    left, right = _run_ends(line)
    return 0 if left is None else right - left + 1
