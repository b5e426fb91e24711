#pragma once

#include <windows.h>

#include <cstdint>

#include "display/ViewGeometry.h"
#include "display/ViewPlacement.h"

class TDC;

// Paints the axis frame's margins around the spectrum view: black, grey
// frequency ticks with their decade labels below the plot and level ticks
// with their labels left of it, in axis-frame pixels, all from the view's
// current mapping (the caller rescales the view first). Blackens only
// updateRect; the ticks and labels are drawn whole and clipped by the
// context. The level labels read shiftHundredthsDb more than the plot's
// levels (a calibration's; see LevelAxis). The view lies viewLeftPx from
// the frame's left edge. Leaves the context's selected objects, text
// colour, background mode and text alignment as it found them. GUI thread
// only.
void PaintAxisFrame(TDC& dc, const ViewGeometry& view, const RECT& updateRect,
                    int32_t shiftHundredthsDb = 0, int32_t viewLeftPx = kViewLeftPx);

// The left margin that the level labels of `range` in a view viewHeightPx
// high need, their levels read shiftHundredthsDb more than the plot's: the
// widest label's text extent in the labels' font on dc (from where its ink
// begins: less the first character's leading bearing), the tick and the gap
// (kLevelLabelGapPx), and never less than kViewLeftPx. Leaves dc's selected
// objects as it found them.
int32_t LevelLabelMarginPx(TDC& dc, const ViewRange& range, int32_t viewHeightPx,
                           int32_t shiftHundredthsDb);
