#include "display/GridGeometry.h"

#include "display/AxisLabelWidth.h"
#include "display/FrequencySteps.h"

GridGeometry::GridGeometry(const ViewGeometry& view) {
  const FrequencySteps frequencies(view, AxisLabelWidth(view));
  for (const double frequencyHz : frequencies.GridHz())
    ColumnX.push_back(view.FreqToX(frequencyHz));
  const LevelSteps levels(view, AxisFontHeightPx(view.ViewHeight()));
  for (int32_t row = 0; row < levels.Count(); ++row)
    RowY.push_back(view.LevelToY(levels.Level(row)));
}
