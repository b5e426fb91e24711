#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <optional>

#include "analysis/LevelTypes.h"
#include "analysis/levels/LevelScale.h"
#include "analysis/levels/PeakFinder.h"
#include "display/PixelPoint.h"
#include "display/ReferenceTrace.h"
#include "display/TraceVertices.h"
#include "display/ViewGeometry.h"

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
// readout under the mouse. Every level drawn and shown is scaled as the
// user chose (LevelScale). Reads the display flags, the scale and the
// weighting of the process-wide MeasurementSettings at each drawing. The
// caller rescales the view first. GUI thread only.
class ViewPainter {
 public:
  // Draws the whole view into dc and leaves the context's selected objects as
  // it found them; the pens and the font live for this drawing only. Without
  // the readout and the peak values the picture is that of the traces alone.
  void DrawSpectrum(TDC& dc, const ViewGeometry& view, const SpectrumLevels& levels);

  // One channel's trace (0 left, 1 right) with the pen the context holds:
  // the pen is put down on the first vertex and a line drawn to each further
  // one. Without the maximum, the pixels are those of every spectral line's
  // vertex, drawn with at most four vertices per column. Nothing is drawn for
  // a view without spectral lines.
  void DrawTrace(TDC& dc, const ViewGeometry& view, const SpectrumLevels& levels, int32_t channel);

  // The transform size and the weighting window of the levels drawn next:
  // the readout's line frequencies and the peaks' interpolation need them.
  void SetSpectrum(int32_t shownSize, int32_t weighting);
  // How many spectra the levels drawn next average, of how many
  // (PowerAverager's lengths; kOff: not averaged).
  void SetAveraging(int32_t count, int32_t length);
  // Each line's held maximum, drawn behind the traces and named in the
  // readout while "Maximum halten" is on; it must outlive the painter.
  void SetHeldLevels(const SpectrumLevels* held) { Held = held; }
  // A spectrum kept to compare with, drawn behind the traces and named in
  // the readout, or none (null); it must outlive its use here.
  void SetReference(ReferenceTrace* reference) { Reference = reference; }

  // The calibration of the input measured (dB SPL of a full-scale sine, in
  // hundredths), none when it has none.
  void SetCalibration(std::optional<int32_t> hundredthsDb) { Calibration = hundredthsDb; }

  // The scale of the levels drawn next, as chosen now.
  const LevelScale& CurrentScale();
  // A channel's strongest line as a sine level (dBFS), without calibration
  // or weighting: what a calibration compares with the known level.
  SpectralPeak SinePeak(const SpectrumLevels& levels, int32_t channel);

  // The readout is drawn for the pointer at `pointer` (view pixels) from the
  // next drawing on, until hidden.
  void ShowReadoutAt(PixelPoint pointer);
  void HideReadout() { ReadoutShown = false; }
  bool ReadoutVisible() const { return ReadoutShown; }
  PixelPoint ReadoutPointer() const { return Pointer; }

  // The area the readout takes with the current pointer, levels and view, as
  // the next drawing puts it; measured with dc's font metrics. REQUIRES:
  // ReadoutVisible().
  ReadoutArea MeasureReadout(TDC& dc, const ViewGeometry& view, const SpectrumLevels& levels);

 private:
  void DrawPeaks(HDC dc, const ViewGeometry& view, const SpectrumLevels& levels);
  void DrawReference(TDC& dc, const ViewGeometry& view);
  // Returns the right end of the unit's text.
  int32_t DrawUnit(HDC dc);
  void DrawAveraging(HDC dc, int32_t left);
  // The held maximum when it is to be drawn, else null.
  const SpectrumLevels* ShownHeld() const;
  void DrawReadout(HDC dc, const ReadoutArea& area, const ViewGeometry& view,
                   const SpectrumLevels& levels);
  ReadoutArea PlaceReadout(HDC dc, const ViewGeometry& view, const SpectrumLevels& levels);

  TraceVertices Trace;
  PeakFinder Peaks;
  int32_t ShownSize = 0;
  int32_t Weighting = 0;
  int32_t AverageCount = 0;
  int32_t AverageLength = 0;
  const SpectrumLevels* Held = nullptr;
  ReferenceTrace* Reference = nullptr;
  std::optional<int32_t> Calibration;
  // Built for the choice, window and size it was last asked for.
  std::unique_ptr<LevelScale> Scale;
  LevelChoice ScaleChoice;
  int32_t ScaleWindow = -1;
  int32_t ScaleSize = -1;
  int32_t UnitRight = 0;  // where the unit's text ended in the last drawing
  bool ReadoutShown = false;
  PixelPoint Pointer{0, 0};
};
