#!/usr/bin/env python3
"""Writes the program's .ico file from hand-drawn text images.

The palette file lists the 16 colours of the icon, one per line, as a drawing
character, the colour as RRGGBB and a name; the line order gives the palette
index. One more line names the character of a transparent pixel with the word
"transparent". Each image file draws one square image with one palette
character per pixel, top row first. Lines starting with '#' and blank lines are
ignored everywhere.

Every image becomes a 16-colour (4 bits per pixel) bitmap with its AND mask, in
the order given on the command line.
"""

import argparse
import struct
import sys

PALETTE_SIZE = 16
BITS_PER_PIXEL = 4
BITMAP_INFO_HEADER_BYTES = 40
ICON_DIR_BYTES = 6
ICON_DIR_ENTRY_BYTES = 16
ICON_RESOURCE_TYPE = 1
MAX_IMAGE_PIXELS = 255
TRANSPARENT_WORD = "transparent"


class DrawingError(Exception):
    pass


def meaningful_lines(path):
    """Yields (line number, text) of the lines that are not comments or blank."""
    with open(path, encoding="utf-8") as f:
        for number, line in enumerate(f, start=1):
            text = line.rstrip("\r\n")
            if text.strip() and not text.lstrip().startswith("#"):
                yield number, text


def read_palette(path):
    """Returns (colours as (r, g, b), index of each character, transparent character)."""
    colours = []
    index_of = {}
    transparent = None
    for number, text in meaningful_lines(path):
        fields = text.split()
        where = f"{path}:{number}"
        if len(fields) < 2 or len(fields[0]) != 1:
            raise DrawingError(f"{where}: expected a character and a colour")
        char, value = fields[0], fields[1]
        if char in index_of or char == transparent:
            raise DrawingError(f"{where}: character '{char}' is used twice")
        if value == TRANSPARENT_WORD:
            if transparent is not None:
                raise DrawingError(f"{where}: a second transparent character")
            transparent = char
            continue
        try:
            rgb = bytes.fromhex(value)
        except ValueError:
            rgb = b""
        if len(rgb) != 3:
            raise DrawingError(f"{where}: colour '{value}' is not RRGGBB")
        index_of[char] = len(colours)
        colours.append(tuple(rgb))
    if len(colours) != PALETTE_SIZE:
        raise DrawingError(f"{path}: {len(colours)} colours, need {PALETTE_SIZE}")
    return colours, index_of, transparent


def read_image(path, index_of, transparent):
    """Returns the rows of palette indices, None for a transparent pixel."""
    rows = []
    for number, text in meaningful_lines(path):
        row = []
        for char in text:
            if char == transparent:
                row.append(None)
            elif char in index_of:
                row.append(index_of[char])
            else:
                raise DrawingError(f"{path}:{number}: '{char}' is not in the palette")
        rows.append(row)
    size = len(rows)
    if not 0 < size <= MAX_IMAGE_PIXELS:
        raise DrawingError(f"{path}: {size} rows, need 1 to {MAX_IMAGE_PIXELS}")
    for row in rows:
        if len(row) != size:
            raise DrawingError(f"{path}: {size} rows but a row of {len(row)} pixels; "
                               "the image must be square")
    return rows


def padded_to_dword(data):
    return data + bytes(-len(data) % 4)


def colour_row(row, black_index):
    """4-bit pixels, left pixel in the high nibble. Transparent pixels are black
    so that the screen shows through the mask unchanged."""
    indices = [black_index if pixel is None else pixel for pixel in row]
    if len(indices) % 2:
        indices.append(0)
    packed = bytes((indices[i] << 4) | indices[i + 1] for i in range(0, len(indices), 2))
    return padded_to_dword(packed)


def mask_row(row):
    """1 bit per pixel, left pixel in the highest bit; 1 keeps the screen."""
    bits = [1 if pixel is None else 0 for pixel in row]
    bits += [0] * (-len(bits) % 8)
    packed = bytes(
        sum(bit << (7 - j) for j, bit in enumerate(bits[i:i + 8])) for i in range(0, len(bits), 8))
    return padded_to_dword(packed)


def icon_image(rows, colours, black_index):
    """The image as an icon stores it: bitmap header, palette, colour rows and
    mask rows, both bottom row first."""
    size = len(rows)
    colour_bits = b"".join(colour_row(row, black_index) for row in reversed(rows))
    mask_bits = b"".join(mask_row(row) for row in reversed(rows))
    header = struct.pack("<IiiHHIIiiII", BITMAP_INFO_HEADER_BYTES, size, 2 * size, 1,
                         BITS_PER_PIXEL, 0, len(colour_bits) + len(mask_bits), 0, 0, 0, 0)
    palette = b"".join(bytes((b, g, r, 0)) for r, g, b in colours)
    return header + palette + colour_bits + mask_bits


def icon_file(images):
    """The .ico file: directory, one entry per (size, image), then the images."""
    directory = struct.pack("<HHH", 0, ICON_RESOURCE_TYPE, len(images))
    offset = ICON_DIR_BYTES + ICON_DIR_ENTRY_BYTES * len(images)
    entries = b""
    for size, image in images:
        entries += struct.pack("<BBBBHHII", size, size, PALETTE_SIZE, 0, 1, BITS_PER_PIXEL,
                               len(image), offset)
        offset += len(image)
    return directory + entries + b"".join(image for _, image in images)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--palette", required=True, help="palette file")
    parser.add_argument("--output", required=True, help=".ico file to write")
    parser.add_argument("images", nargs="+", help="image files, in icon order")
    args = parser.parse_args()
    try:
        colours, index_of, transparent = read_palette(args.palette)
        if (0, 0, 0) not in colours:
            raise DrawingError(f"{args.palette}: black is needed under transparent pixels")
        black_index = colours.index((0, 0, 0))
        images = []
        for path in args.images:
            rows = read_image(path, index_of, transparent)
            images.append((len(rows), icon_image(rows, colours, black_index)))
    except (DrawingError, OSError) as error:
        print(f"make_icon.py: {error}", file=sys.stderr)
        return 1
    with open(args.output, "wb") as f:
        f.write(icon_file(images))
    return 0


if __name__ == "__main__":
    sys.exit(main())
