#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "analysis/LevelTypes.h"
#include "display/PixelPoint.h"
#include "display/ReferenceTrace.h"
#include "display/TraceCache.h"
#include "display/ViewGeometry.h"
#include "measurement/ShownMeasurement.h"

class TDC;

// Where the readout under the mouse lies in the view: the marker of the
// pointer's column and the box with its text.
struct ReadoutArea {
  RECT Marker;
  RECT Box;
};

// Draws the spectrum view: black area, grey grid of decades and 10-dB steps,
// the unit of the levels in the top left corner, a kept reference spectrum
// in a light shade of each channel's colour, when asked for each channel's
// held maximum in a dark shade of its colour,
// the left channel's trace in green and the right one's in red over it; on
// top of them, when asked for, each channel's strongest line in the top
// right corner, the averaging's progress in the top left one and the
// readout under the mouse. Every level drawn and shown is the spectrum's as
// shown (ShownMeasurement). Reads the display flags of the process-wide
// MeasurementSettings at each drawing. The caller rescales the view first.
// GUI thread only.
class ViewPainter {
 public:
  // Draws the whole view into dc and leaves the context's selected objects as
  // it found them; the pens and the font live for this drawing only. Without
  // the readout and the peak values the picture is that of the traces alone.
  void DrawSpectrum(TDC& dc, const ViewGeometry& view, const ShownMeasurement& shown);

  // A spectrum kept to compare with, drawn behind the traces and named in
  // the readout, or none (null); it must outlive its use here.
  void SetReference(ReferenceTrace* reference) { Reference = reference; }

  // A line of text in a box in the top left corner, under the unit; none
  // when empty.
  void SetCornerNote(std::wstring note) { Note = std::move(note); }
  const std::wstring& CornerNote() const { return Note; }

  // The readout is drawn for the pointer at `pointer` (view pixels) from the
  // next drawing on, until hidden.
  void ShowReadoutAt(PixelPoint pointer);
  void HideReadout() { ReadoutShown = false; }
  bool ReadoutVisible() const { return ReadoutShown; }
  PixelPoint ReadoutPointer() const { return Pointer; }

  // The area the readout takes with the current pointer, levels and view, as
  // the next drawing puts it; measured with dc's font metrics. REQUIRES:
  // ReadoutVisible().
  ReadoutArea MeasureReadout(TDC& dc, const ViewGeometry& view, const ShownMeasurement& shown);

 private:
  // Returns the bottom of the peaks' box, 0 where none is drawn.
  int32_t DrawPeaks(HDC dc, const ViewGeometry& view, const ShownMeasurement& shown);
  void DrawDistortion(HDC dc, const ViewGeometry& view, const ShownMeasurement& shown, int32_t top);
  // Where the range shown cuts into the scale's first level range, the
  // columns whose trace lies beyond that edge get a band two pixels deep
  // along the edge in the pen the context holds (OffPlotMarks).
  void DrawOffPlotMarks(HDC dc, const ViewGeometry& view, const ShownMeasurement& shown,
                        int32_t channel);
  void DrawReference(TDC& dc, const ViewGeometry& view, int32_t plotShiftHundredthsDb);
  // One channel's trace (0 left, 1 right) with the pen the context holds,
  // from `cache`: the pen is put down on the first vertex and a line drawn
  // to each further one, each `plotShiftHundredthsDb` lower (the axis
  // shift). Without the maximum, the pixels are those of every spectral
  // line's vertex, drawn with at most four vertices per column. Nothing is
  // drawn for a view without spectral lines.
  void DrawTrace(HDC dc, TraceCache& cache, const ViewGeometry& view, const SpectrumLevels& levels,
                 uint64_t levelsNumber, int32_t channel, int32_t plotShiftHundredthsDb);
  // Returns the right end of the unit's text.
  int32_t DrawUnit(HDC dc, const ShownMeasurement& shown);
  void DrawAveraging(HDC dc, int32_t left, const ShownMeasurement& shown);
  void DrawCornerNote(HDC dc);
  // Whether the held maximum is to be drawn and read.
  static bool HeldShown(const ShownMeasurement& shown);
  void DrawReadout(HDC dc, const ReadoutArea& area, const ViewGeometry& view,
                   const ShownMeasurement& shown);
  ReadoutArea PlaceReadout(HDC dc, const ViewGeometry& view, const ShownMeasurement& shown);

  // Each channel's live trace and held maximum as last drawn: a drawing
  // without new levels, range or size draws them as they are.
  TraceCache LiveTraces[2];
  TraceCache HeldTraces[2];
  ReferenceTrace* Reference = nullptr;
  std::wstring Note;
  int32_t UnitRight = 0;  // where the unit's text ended in the last drawing
  bool ReadoutShown = false;
  PixelPoint Pointer{0, 0};
};
