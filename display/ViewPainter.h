#pragma once

#include <cstdint>

#include "analysis/LevelTypes.h"
#include "display/TraceVertices.h"
#include "display/ViewGeometry.h"

class TDC;

// Draws the spectrum view: black area, grey grid of decades and 10-dB steps,
// the left channel's trace in green and the right one's in red over it.
// Reads the display flags of the process-wide MeasurementSettings at each
// drawing. The caller rescales the view first. GUI thread only.
class ViewPainter {
 public:
  // Draws the whole view into dc and leaves the context's selected objects as
  // it found them; the pens live for this drawing only.
  void DrawSpectrum(TDC& dc, const ViewGeometry& view, const SpectrumLevels& levels);

  // One channel's trace (0 left, 1 right) with the pen the context holds:
  // the pen is put down on the first vertex and a line drawn to each further
  // one. Without the maximum, the pixels are those of every spectral line's
  // vertex, drawn with at most four vertices per column. Nothing is drawn for
  // a view without spectral lines.
  void DrawTrace(TDC& dc, const ViewGeometry& view, const SpectrumLevels& levels, int32_t channel);

 private:
  TraceVertices Trace;
};
