#pragma once

#include <cstdint>
#include <memory>

#include "analysis/LevelTypes.h"

// The spectrum view's mapping of hertz and decibels to its client pixels, and
// the cached x column of every spectral line of the spectrum shown.
//
// Both mappings work with 64-bit significands (long double, the x87 format on
// every target): the caller's thread must run with the x87 precision control
// at 64 bits, as a Windows main thread does from its start. Reads the
// process-wide DisplayRange. GUI thread only.
class ViewGeometry {
 public:
  // All sizes and scales 0, so that the first Rescale of a non-empty view
  // always computes them. Allocates the column cache for the largest transform.
  ViewGeometry();

  // x pixel of a frequency in hertz: 0 for FreqMin, negative below it.
  int32_t FreqToX(double frequencyHz) const;
  // y pixel of a level in decibels: 0 for LevelMax, growing downwards; never
  // clamped to the view.
  int32_t LevelToY(double levelDb) const;

  // Brings the scales and the line columns up to date for a client area of
  // width x height pixels and a spectrum of `shownSize` points sampled at
  // `sampleRateHz` (line j at j * sampleRateHz / shownSize). Unless forced,
  // does nothing while the size equals the one last used, even if shownSize
  // changed. Only the lines the cache holds (kMaxSpectrumLines) are placed,
  // whatever shownSize claims.
  void Rescale(int32_t width, int32_t height, int32_t shownSize, bool forced,
               int32_t sampleRateHz = kSampleRateHz);

  int32_t ViewWidth() const { return Width; }
  int32_t ViewHeight() const { return Height; }
  double XScale() const { return PixelsPerDecade; }
  double YScale() const { return PixelsPerDb; }
  int32_t BinCount() const { return Lines; }
  // x pixel of each spectral line; valid for lines below BinCount(), non-decreasing.
  const int32_t* BinX() const { return Columns.get(); }

 private:
  int32_t Width = 0;
  int32_t Height = 0;
  double PixelsPerDecade = 0.0;
  double PixelsPerDb = 0.0;
  int32_t Lines = 0;
  std::unique_ptr<int32_t[]> Columns;
};
