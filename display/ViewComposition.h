#pragma once

#include <windows.h>

#include "display/ViewGeometry.h"
#include "display/ViewPainter.h"
#include "measurement/ShownMeasurement.h"

class TDC;

// The one composition of the spectrum view with its axes: the axis frame
// (`frame`: the whole area) with the view at `viewOrigin` in it, drawn by
// `painter` through `view`, which the caller has rescaled. The view draws in
// its own pixels and is clipped to its area, as its window is on screen.
// GUI thread only.
void DrawViewComposition(TDC& dc, const RECT& frame, POINT viewOrigin, const ViewGeometry& view,
                         ViewPainter& painter, const ShownMeasurement& shown);

// The same composition as a picture of `frame` pixels without a window:
// the view placed in it as the axis frame places it on screen (its left
// margin wide enough for the level labels, LevelLabelMarginPx), the traces
// as the view would draw them with the process-wide display settings, no
// reference and no readout. Sets the GUI thread's x87 precision.
void DrawSpectrumPicture(TDC& dc, SIZE frame, const ShownMeasurement& shown);
