#!/usr/bin/env bash
# Makes the README's picture, docs/frelox.png, from the headless run
# (tests/e2e/demo.py: Xvfb, the private sound server playing the test tones,
# a throw-away Wine prefix, so the first start's settings, but with
# "&Spitzenwerte anzeigen" on, stored as ShowPeaks=1): the screenshot of
# the window below Wine's own caption (which a desktop's window manager
# replaces, and whose buttons read "0 1 r" on the headless display, Wine
# finding no Marlett glyphs there), its colours reduced to a palette so that
# the file stays a few tens of kilobytes.
#
#   bash scripts/readme-picture.sh [OUTPUT.png]
set -euo pipefail
source "$(dirname "$0")/lib/common.sh"
cd "$FRELOX_ROOT"
OUTPUT=${1:-$FRELOX_ROOT/docs/frelox.png}
# Enough for the traces, the grid, the labels' grey shades and the caption.
PALETTE_COLOURS=32

ensure_packages
choose_windows_build
ensure_program readme-picture || {
  cat build/readme-picture.build.log
  exit 1
}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$FRELOX_PYTHON" tests/e2e/demo.py "$FRELOX_EXE" "$work/window.png" ShowPeaks=1
mkdir -p "$(dirname "$OUTPUT")"
"$FRELOX_PYTHON" - "$work/window.png" "$OUTPUT" "$PALETTE_COLOURS" <<'PY'
import sys
from PIL import Image

CAPTION_SEARCH_ROWS = 40


def caption_blue(red, green, blue):
    return blue > red + 40 and blue > green + 20


source, target, colours = sys.argv[1], sys.argv[2], int(sys.argv[3])
with Image.open(source) as picture:
    picture = picture.convert("RGB")
    middle = picture.width // 2
    # The caption is the band of blue rows at the top; the menu bar follows.
    caption_rows = [y for y in range(min(CAPTION_SEARCH_ROWS, picture.height))
                    if caption_blue(*picture.getpixel((middle, y)))]
    top = caption_rows[-1] + 1 if caption_rows else 0
    picture = picture.crop((0, top, picture.width, picture.height))
    picture.quantize(colours, dither=Image.Dither.NONE).save(target, optimize=True)
PY
echo "README picture: $OUTPUT ($(stat -c %s "$OUTPUT") bytes)"
