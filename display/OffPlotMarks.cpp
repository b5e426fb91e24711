#include "display/OffPlotMarks.h"

#include <algorithm>
#include <cmath>

#include "display/ViewRange.h"
#include "measurement/ShownMeasurement.h"

namespace {

constexpr double kHundredthsPerDb = 100.0;
constexpr int32_t kBandRows = 2;

// Adds column x to the last run, when it continues it, or starts a new one.
void Extend(std::vector<OffPlotMarks::Run>& runs, int32_t x, int32_t row) {
  if (!runs.empty() && runs.back().ToX + 1 >= x) {
    runs.back().ToX = x;
    return;
  }
  runs.push_back({x, x, row});
}

}  // namespace

OffPlotMarks::OffPlotMarks(const ViewGeometry& view, const ShownMeasurement& shown, int32_t channel,
                           bool showMaximum) {
  if (!shown.HasLines() || view.ViewWidth() <= 0 || view.ViewHeight() < kBandRows) return;
  const ViewRange& range = view.Range();
  const LevelChoice& choice = shown.Choice;
  const ScaleLevelRanges::Levels first = ScaleLevelRanges::Default(
      ScaleLevelRanges::Slot(choice.Scale, choice.CalibrationHundredthsDb.has_value()));
  const bool markTop = range.TopDb() < first.TopDb;
  const bool markBottom = range.BottomDb() > first.BottomDb;
  if (!markTop && !markBottom) return;

  // Plot levels in hundredths, as the traces draw them.
  const double shift = shown.AxisShiftHundredthsDb;
  const double top = range.TopDb() * kHundredthsPerDb + shift;
  const double bottom = range.BottomDb() * kHundredthsPerDb + shift;
  const SpectrumLevels& levels = *shown.Levels;
  const int32_t* columns = view.BinX();
  std::vector<Run> above;
  std::vector<Run> below;
  const int32_t end = view.EndBin();
  for (int32_t line = view.FirstBin(); line < end;) {
    const int32_t x = columns[line];
    int32_t loudest = levels[line][channel];
    int32_t quietest = loudest;
    bool quietestAtFloor = shown.AtFloor(line, channel);
    bool loudestAtFloor = quietestAtFloor;
    int32_t next = line;
    for (; next < end && columns[next] == x; ++next) {
      const int32_t level = levels[next][channel];
      const bool atFloor = shown.AtFloor(next, channel);
      if (level > loudest) {
        loudest = level;
        loudestAtFloor = atFloor;
      }
      // A floor line is no level below the bottom.
      if (!atFloor && (quietestAtFloor || level < quietest)) {
        quietest = level;
        quietestAtFloor = false;
      }
    }
    line = next;
    if (x < 0 || x >= view.ViewWidth()) continue;
    if (markTop && loudest > top) Extend(above, x, 0);
    const bool beneath =
        showMaximum ? !loudestAtFloor && loudest < bottom : !quietestAtFloor && quietest < bottom;
    if (markBottom && beneath) Extend(below, x, view.ViewHeight() - kBandRows);
  }
  Marked = std::move(above);
  Marked.insert(Marked.end(), below.begin(), below.end());
}
