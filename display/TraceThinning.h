#pragma once

#include <cstdint>

#include "display/PixelPoint.h"

// Shortens a polyline without changing a pixel of what a one-pixel pen draws
// when the pen is put down on the first vertex (MoveToEx) and a line drawn to
// each further one (LineTo, which leaves each line's end pixel undrawn).
//
// Works on runs of consecutive vertices on one column. The lines within a run
// are vertical; together they cover every row from the run's lowest vertex to
// its highest, because the end pixel one line leaves out is the start pixel of
// the next line that moves, or of the line that leaves the column. Only the
// trace's very last vertex has no such line: whether its pixel is drawn
// depends on whether the path stood on that row before and moved on. Each run
// is replaced by at most four vertices that cover the same rows, that pixel
// included or left out as before; its first and last vertex stay, so the lines
// into and out of the column keep their end points.
//
// Rewrites `vertices` in place and returns the new count (never more than
// `count`).
int32_t ThinColumnRuns(PixelPoint* vertices, int32_t count);
