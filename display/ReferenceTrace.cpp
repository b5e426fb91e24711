#include "display/ReferenceTrace.h"

#include <algorithm>

#include "analysis/DisplayRange.h"
#include "measurement/ShownSpectrum.h"

namespace {

// Where the live trace's DC line lies: two decades left of the plot.
constexpr double kDcLineFrequencyFactor = 0.01;

}  // namespace

ReferenceTrace::ReferenceTrace(std::vector<double> frequenciesHz, std::vector<LevelPair> levels)
    : FrequenciesHz(std::move(frequenciesHz)),
      Levels(std::move(levels)),
      Columns(FrequenciesHz.size()),
      Traces{{TraceVertices(std::max<int32_t>(LineCount(), 1))},
             {TraceVertices(std::max<int32_t>(LineCount(), 1))}} {}

ReferenceTrace::ReferenceTrace(std::vector<double> frequenciesHz, ConvertedReference converted)
    : ReferenceTrace(std::move(frequenciesHz), std::move(converted.Levels)) {
  Floors = std::move(converted.Floors);
  IsComparable = converted.Comparable;
  LevelUnit = std::move(converted.Unit);
}

void ReferenceTrace::Place(const ViewGeometry& view) {
  if (view.XScale() == PlacedScale) return;
  const double dcLineHz = kDcLineFrequencyFactor * Range.FreqMin;
  for (int32_t line = 0; line < LineCount(); ++line)
    Columns[line] = view.FreqToX(std::max(FrequenciesHz[line], dcLineHz));
  PlacedScale = view.XScale();
}

const TraceVertices& ReferenceTrace::Trace(const ViewGeometry& view, int32_t channel,
                                           bool showMaximum, int32_t plotShiftHundredthsDb) {
  BuiltTrace& built = Traces[channel];
  if (built.XScale == view.XScale() && built.YScale == view.YScale() &&
      built.ShowMaximum == showMaximum && built.PlotShift == plotShiftHundredthsDb)
    return built.Vertices;
  built.Vertices.BuildFrom(view, Columns.data(), Levels.data(), LineCount(), channel, showMaximum,
                           plotShiftHundredthsDb);
  if (!showMaximum) built.Vertices.ThinColumns();
  built.XScale = view.XScale();
  built.YScale = view.YScale();
  built.ShowMaximum = showMaximum;
  built.PlotShift = plotShiftHundredthsDb;
  return built.Vertices;
}

bool ReferenceTrace::LevelAt(int32_t x, double centreHz, int32_t channel, bool showMaximum,
                             int32_t& levelHundredthsDb, bool* atFloor) const {
  const int32_t lines = LineCount();
  if (lines == 0) return false;
  const auto lineAt = [&](auto found) { return static_cast<int32_t>(found - Columns.begin()); };
  int32_t first = lineAt(std::lower_bound(Columns.begin(), Columns.end(), x));
  int32_t last = lineAt(std::upper_bound(Columns.begin(), Columns.end(), x));
  const int32_t above =
      static_cast<int32_t>(std::lower_bound(FrequenciesHz.begin(), FrequenciesHz.end(), centreHz) -
                           FrequenciesHz.begin());
  const int32_t nearest = above == lines || (above > 0 && centreHz - FrequenciesHz[above - 1] <=
                                                              FrequenciesHz[above] - centreHz)
                              ? above - 1
                              : above;
  int32_t line = nearest;
  if (first == last) {
    if (showMaximum) {
      first = lineAt(std::lower_bound(Columns.begin(), Columns.end(), Columns[nearest]));
      last = lineAt(std::upper_bound(Columns.begin(), Columns.end(), Columns[nearest]));
    }
  }
  if (!showMaximum) {
    if (first != last) line = std::clamp(nearest, first, last - 1);
  } else {
    line = first;
    for (int32_t i = first + 1; i < last; ++i)
      if (Levels[i][channel] > Levels[line][channel]) line = i;
  }
  levelHundredthsDb = Levels[line][channel];
  if (atFloor) {
    const uint8_t bit = channel == 0 ? ShownSpectrum::kFloorLeft : ShownSpectrum::kFloorRight;
    *atFloor = !Floors.empty() && (Floors[line] & bit) != 0;
  }
  return true;
}
