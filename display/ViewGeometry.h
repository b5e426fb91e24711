#pragma once

#include <cstdint>
#include <memory>

#include "analysis/LevelTypes.h"
#include "display/ViewRange.h"

// The spectrum view's mapping of hertz and decibels to its client pixels, and
// the cached x column of every spectral line of the spectrum shown.
//
// Both mappings work with 64-bit significands (long double, the x87 format on
// every target): the caller's thread must run with the x87 precision control
// at 64 bits, as a Windows main thread does from its start. Maps the range
// shown (ViewRange; the full range at construction) onto the client area;
// the DC line lies at 0.01 x the process-wide DisplayRange's FreqMin. Only
// the lines of the range shown, and those next to it that the traces run to
// from the edges, get a column. GUI thread only.
class ViewGeometry {
 public:
  // All sizes and scales 0, so that the first Rescale of a non-empty view
  // always computes them. Allocates the column cache for the largest transform.
  ViewGeometry();

  // The range mapped; a new one takes effect at the next Rescale, which then
  // always computes the scales and columns anew.
  void SetRange(const ViewRange& range);
  const ViewRange& Range() const { return Shown; }

  // x pixel of a frequency in hertz: 0 for the range's low end, negative below it.
  int32_t FreqToX(double frequencyHz) const;
  // y pixel of a level in decibels: 0 for the range's top, growing downwards; never
  // clamped to the view.
  int32_t LevelToY(double levelDb) const;

  // Brings the scales and the line columns up to date for a client area of
  // width x height pixels and a spectrum of `shownSize` points sampled at
  // `sampleRateHz` (line j at j * sampleRateHz / shownSize). Unless forced or
  // given a new range, does nothing while the size equals the one last used,
  // even if shownSize changed. Only the lines the cache holds
  // (kMaxSpectrumLines) are placed, whatever shownSize claims.
  void Rescale(int32_t width, int32_t height, int32_t shownSize, bool forced,
               int32_t sampleRateHz = kSampleRateHz);

  int32_t ViewWidth() const { return Width; }
  int32_t ViewHeight() const { return Height; }
  double XScale() const { return PixelsPerDecade; }
  double YScale() const { return PixelsPerDb; }
  int32_t BinCount() const { return Lines; }
  // x pixel of each spectral line; valid for lines from FirstBin() to below
  // EndBin(), non-decreasing. Lines outside lie off the plot: the lines
  // before FirstBin() left of the column of FirstBin(), those from EndBin()
  // on right of the column of EndBin() - 1. At the range's low end of 10 Hz
  // FirstBin() is 0 (the DC line), at its high end EndBin() is BinCount().
  const int32_t* BinX() const { return Columns.get(); }
  int32_t FirstBin() const { return First; }
  int32_t EndBin() const { return End; }
  // The layout's number, unique among all views' layouts: a new value
  // whenever a column or a scale may have changed, for caches of what is
  // drawn from them; 0 before the first.
  uint64_t LayoutNumber() const { return Layouts; }

 private:
  int32_t Width = 0;
  int32_t Height = 0;
  double PixelsPerDecade = 0.0;
  double PixelsPerDb = 0.0;
  int32_t Lines = 0;
  int32_t First = 0;
  int32_t End = 0;
  uint64_t Layouts = 0;
  ViewRange Shown;
  bool RangeChanged = false;
  std::unique_ptr<int32_t[]> Columns;
};
