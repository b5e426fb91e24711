#include "display/ViewGeometry.h"

#include <algorithm>
#include <cmath>

#include "analysis/DisplayRange.h"
#include "analysis/LevelTypes.h"
#include "display/PixelTruncation.h"

namespace {

// The DC line is placed two decades left of the full plot, at 0.01 x FreqMin,
// so that each trace enters the plot from its left edge.
constexpr double kDcLineFrequencyFactor = 0.01;
// How far beyond an edge of the range the lines placed reach, in columns.
constexpr double kColumnsBeyondEdge = 1.5;

// Numbers every layout of any view, so that a cache never takes one view's
// layout for another's. GUI thread only.
uint64_t LayoutsComputed = 0;

}  // namespace

ViewGeometry::ViewGeometry() : Columns(new int32_t[kMaxSpectrumLines]()) {}

void ViewGeometry::SetRange(const ViewRange& range) {
  if (range == Shown) return;
  Shown = range;
  RangeChanged = true;
}

int32_t ViewGeometry::FreqToX(double frequencyHz) const {
  const double ratio = static_cast<double>(static_cast<long double>(frequencyHz) / Shown.LowHz());
  return TruncateToPixel(std::log10(static_cast<long double>(ratio)) * PixelsPerDecade);
}

int32_t ViewGeometry::LevelToY(double levelDb) const {
  return TruncateToPixel((static_cast<long double>(Shown.TopDb()) - levelDb) * PixelsPerDb);
}

void ViewGeometry::Rescale(int32_t width, int32_t height, int32_t shownSize, bool forced,
                           int32_t sampleRateHz) {
  if (!forced && !RangeChanged && width == Width && height == Height) return;
  RangeChanged = false;
  Layouts = ++LayoutsComputed;
  Width = width;
  Height = height;

  const long double decades = std::log10(static_cast<long double>(Shown.HighHz()) / Shown.LowHz());
  PixelsPerDecade = static_cast<double>((static_cast<long double>(width) - 1) / decades);
  const long double levelSpanDb = static_cast<long double>(Shown.TopDb()) - Shown.BottomDb();
  PixelsPerDb = static_cast<double>((static_cast<long double>(height) - 1) / levelSpanDb);

  Lines = std::clamp(shownSize / 2, 0, kMaxSpectrumLines);
  First = 0;
  End = Lines;
  const auto lineColumn = [&](int32_t line) {
    if (line == 0)
      return FreqToX(
          static_cast<double>(static_cast<long double>(kDcLineFrequencyFactor) * ::Range.FreqMin));
    const long double lineSpacingHz = static_cast<long double>(sampleRateHz) / shownSize;
    return FreqToX(static_cast<double>(lineSpacingHz * line));
  };
  if (Lines < 2) {
    Columns[0] = lineColumn(0);
    return;
  }
  // The traces come from the column left of the plot and go to the one
  // right of it: the lines on those columns are placed too, so that every
  // vertex is as at the full range. Column 0 reaches half a column below
  // the low end (pixels truncate toward zero), hence the 1.5 columns.
  const double lineSpacingHz = static_cast<double>(sampleRateHz) / shownSize;
  const double columnRatio = std::pow(10.0, kColumnsBeyondEdge / PixelsPerDecade);
  const auto lineAt = [&](double frequencyHz, int32_t offset) {
    return std::clamp(static_cast<int32_t>(frequencyHz / lineSpacingHz) + offset, 0, Lines - 1);
  };
  if (Shown.LowHz() > ViewRange::kLowestHz) {
    First = lineAt(Shown.LowHz(), -1);
    if (lineColumn(First) >= 0) First = lineAt(Shown.LowHz() / columnRatio, -1);
    const int32_t column = lineColumn(First);
    while (First > 0 && lineColumn(First - 1) == column) --First;
  }
  if (Shown.HighHz() < Shown.HighestHz()) {
    int32_t last = std::max(lineAt(Shown.HighHz(), 1), First);
    if (lineColumn(last) < width) last = std::max(lineAt(Shown.HighHz() * columnRatio, 1), First);
    const int32_t column = lineColumn(last);
    while (last + 1 < Lines && lineColumn(last + 1) == column) ++last;
    End = last + 1;
  }
  for (int32_t i = First; i < End; ++i) Columns[i] = lineColumn(i);
}
