#include "display/GridGeometry.h"

GridGeometry::GridGeometry(const ViewGeometry& view) {
  int32_t column = 0;
  for (int32_t decade = 0; decade < kDecadeCount; ++decade) {
    for (int32_t mark = 1; mark <= kMarksPerDecade; ++mark) {
      ColumnX[column++] = view.FreqToX(mark * kDecadeStartHz[decade]);
    }
  }
  const LevelSteps levels;
  for (Rows = 0; Rows < levels.Count(); ++Rows) {
    RowY[Rows] = view.LevelToY(levels.Level(Rows));
  }
}
