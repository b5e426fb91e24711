#pragma once

#include <windows.h>

#include "display/ViewGeometry.h"

class TDC;

// Paints the axis frame's margins around the spectrum view: black, grey
// frequency ticks with their decade labels below the plot and level ticks
// with their labels left of it, in axis-frame pixels, all from the view's
// current mapping (the caller rescales the view first). Blackens only
// updateRect; the ticks and labels are drawn whole and clipped by the
// context. The level labels read shiftHundredthsDb more than the plot's
// levels (a calibration's; see LevelAxis). Leaves the context's selected
// objects, text colour, background mode and text alignment as it found
// them. GUI thread only.
void PaintAxisFrame(TDC& dc, const ViewGeometry& view, const RECT& updateRect,
                    int32_t shiftHundredthsDb = 0);
