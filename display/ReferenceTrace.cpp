#include "display/ReferenceTrace.h"

#include <algorithm>

#include "analysis/DisplayRange.h"
#include "measurement/ShownMeasurement.h"

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
  if (view.LayoutNumber() == PlacedLayout) return;
  const double dcLineHz = kDcLineFrequencyFactor * Range.FreqMin;
  const auto column = [&](int32_t line) {
    return view.FreqToX(std::max(FrequenciesHz[line], dcLineHz));
  };
  const ViewRange& range = view.Range();
  const auto lineAbove = [&](double frequencyHz) {
    return static_cast<int32_t>(
        std::lower_bound(FrequenciesHz.begin(), FrequenciesHz.end(), frequencyHz) -
        FrequenciesHz.begin());
  };
  // As the live lines: those of the range and the columns next to it.
  PlacedFirst = 0;
  PlacedEnd = LineCount();
  if (PlacedEnd > 0 && range.LowHz() > ViewRange::kLowestHz) {
    PlacedFirst = std::max(lineAbove(range.LowHz()) - 1, 0);
    const int32_t edge = column(PlacedFirst);
    while (PlacedFirst > 0 && column(PlacedFirst - 1) == edge) --PlacedFirst;
  }
  if (PlacedEnd > 0 && range.HighHz() < range.HighestHz()) {
    int32_t last = std::clamp(lineAbove(range.HighHz()), PlacedFirst, PlacedEnd - 1);
    const int32_t edge = column(last);
    while (last + 1 < PlacedEnd && column(last + 1) == edge) ++last;
    PlacedEnd = last + 1;
  }
  for (int32_t line = PlacedFirst; line < PlacedEnd; ++line) Columns[line] = column(line);
  PlacedLayout = view.LayoutNumber();
}

const TraceVertices& ReferenceTrace::Trace(const ViewGeometry& view, int32_t channel,
                                           bool showMaximum, int32_t plotShiftHundredthsDb) {
  BuiltTrace& built = Traces[channel];
  if (built.Layout == view.LayoutNumber() && built.ShowMaximum == showMaximum &&
      built.PlotShift == plotShiftHundredthsDb)
    return built.Vertices;
  built.Vertices.BuildFrom(view, Columns.data() + PlacedFirst, Levels.data() + PlacedFirst,
                           PlacedEnd - PlacedFirst, channel, showMaximum, plotShiftHundredthsDb);
  if (!showMaximum) built.Vertices.ThinColumns();
  built.Layout = view.LayoutNumber();
  built.ShowMaximum = showMaximum;
  built.PlotShift = plotShiftHundredthsDb;
  return built.Vertices;
}

bool ReferenceTrace::LevelAt(int32_t x, double centreHz, int32_t channel, bool showMaximum,
                             int32_t& levelHundredthsDb, bool* atFloor) const {
  if (PlacedEnd <= PlacedFirst) return false;
  // Only the placed lines have columns.
  const auto placedBegin = Columns.begin() + PlacedFirst;
  const auto placedEnd = Columns.begin() + PlacedEnd;
  const auto lineAt = [&](auto found) { return static_cast<int32_t>(found - Columns.begin()); };
  int32_t first = lineAt(std::lower_bound(placedBegin, placedEnd, x));
  int32_t last = lineAt(std::upper_bound(placedBegin, placedEnd, x));
  const auto frequenciesBegin = FrequenciesHz.begin() + PlacedFirst;
  const auto frequenciesEnd = FrequenciesHz.begin() + PlacedEnd;
  const int32_t above = static_cast<int32_t>(
      std::lower_bound(frequenciesBegin, frequenciesEnd, centreHz) - FrequenciesHz.begin());
  const int32_t nearest =
      above == PlacedEnd || (above > PlacedFirst &&
                             centreHz - FrequenciesHz[above - 1] <= FrequenciesHz[above] - centreHz)
          ? above - 1
          : above;
  int32_t line = nearest;
  if (first == last) {
    if (showMaximum) {
      first = lineAt(std::lower_bound(placedBegin, placedEnd, Columns[nearest]));
      last = lineAt(std::upper_bound(placedBegin, placedEnd, Columns[nearest]));
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
    const uint8_t bit = channel == 0 ? ShownMeasurement::kFloorLeft : ShownMeasurement::kFloorRight;
    *atFloor = !Floors.empty() && (Floors[line] & bit) != 0;
  }
  return true;
}
