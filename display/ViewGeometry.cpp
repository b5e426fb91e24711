#include "display/ViewGeometry.h"

#include <algorithm>
#include <cmath>

#include "analysis/DisplayRange.h"
#include "analysis/LevelTypes.h"
#include "display/PixelTruncation.h"

namespace {

// The DC line is placed two decades left of the plot, at 0.01 x FreqMin, so
// that each trace enters the plot from its left edge.
constexpr double kDcLineFrequencyFactor = 0.01;

}  // namespace

ViewGeometry::ViewGeometry() : Columns(new int32_t[kMaxSpectrumLines]()) {}

int32_t ViewGeometry::FreqToX(double frequencyHz) const {
  const double ratio = static_cast<double>(static_cast<long double>(frequencyHz) / Range.FreqMin);
  return TruncateToPixel(std::log10(static_cast<long double>(ratio)) * PixelsPerDecade);
}

int32_t ViewGeometry::LevelToY(double levelDb) const {
  return TruncateToPixel((static_cast<long double>(Range.LevelMax) - levelDb) * PixelsPerDb);
}

void ViewGeometry::Rescale(int32_t width, int32_t height, int32_t shownSize, bool forced,
                           int32_t sampleRateHz) {
  if (!forced && width == Width && height == Height) return;
  Width = width;
  Height = height;

  const long double decades = std::log10(static_cast<long double>(Range.FreqMax) / Range.FreqMin);
  PixelsPerDecade = static_cast<double>((static_cast<long double>(width) - 1) / decades);
  const long double levelSpanDb = static_cast<long double>(Range.LevelMax) - Range.LevelMin;
  PixelsPerDb = static_cast<double>((static_cast<long double>(height) - 1) / levelSpanDb);

  Lines = std::clamp(shownSize / 2, 0, kMaxSpectrumLines);

  const double dcLineHz =
      static_cast<double>(static_cast<long double>(kDcLineFrequencyFactor) * Range.FreqMin);
  Columns[0] = FreqToX(dcLineHz);
  if (Lines < 2) return;
  const long double lineSpacingHz = static_cast<long double>(sampleRateHz) / shownSize;
  for (int32_t i = 1; i < Lines; ++i) {
    Columns[i] = FreqToX(static_cast<double>(lineSpacingHz * i));
  }
}
