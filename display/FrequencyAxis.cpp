#include "display/FrequencyAxis.h"

#include <cstring>

#include "analysis/DisplayRange.h"
#include "display/ViewPlacement.h"

namespace {

constexpr int32_t kTickLengthPx = 4;
constexpr int32_t kFirstLabelledDecade = 1;
constexpr const char* kDecadeLabelTexts[FrequencyAxis::kLabelCount] = {"10", "100", "1k", "10k"};

}  // namespace

FrequencyAxis::FrequencyAxis(const ViewGeometry& view) {
  // The plot's bottom row in frame pixels: the ticks start on it (the view
  // covers that pixel when it paints) and hang below it.
  const int32_t plotBottom = view.LevelToY(Range.LevelMin) + kViewTopPx;
  const int32_t labelTop = plotBottom + kTickLengthPx;
  int32_t tick = 0;
  for (int32_t label = 0; label < kLabelCount; ++label) {
    const double decadeHz = kDecadeStartHz[kFirstLabelledDecade + label];
    for (int32_t mark = 1; mark <= kMarksPerDecade; ++mark) {
      const int32_t x = view.FreqToX(mark * decadeHz) + kViewLeftPx;
      TickLines[tick++] = {{x, plotBottom}, {x, labelTop}};
    }
    AxisLabel& decadeLabel = DecadeLabels[label];
    decadeLabel.anchor = {view.FreqToX(decadeHz) + kViewLeftPx, labelTop};
    std::strncpy(decadeLabel.text, kDecadeLabelTexts[label], AxisLabel::kTextCapacity - 1);
  }
}
