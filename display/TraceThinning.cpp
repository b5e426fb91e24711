#include "display/TraceThinning.h"

int32_t ThinColumnRuns(PixelPoint* vertices, int32_t count) {
  int32_t kept = 0;
  int32_t first = 0;
  while (first < count) {
    // Read the whole run before writing: its vertices are rewritten from
    // `kept` on, which never passes `first`.
    const int32_t column = vertices[first].x;
    const int32_t firstRow = vertices[first].y;
    int32_t top = firstRow;
    int32_t bottom = firstRow;
    // Whether the path has moved on from the row that `top` (`bottom`) holds.
    bool movedOnFromTop = false;
    bool movedOnFromBottom = false;
    int32_t row = firstRow;
    int32_t end = first + 1;
    for (; end < count && vertices[end].x == column; ++end) {
      const int32_t next = vertices[end].y;
      if (next == row) continue;
      if (row == top) movedOnFromTop = true;
      if (row == bottom) movedOnFromBottom = true;
      if (next < top) {
        top = next;
        movedOnFromTop = false;
      }
      if (next > bottom) {
        bottom = next;
        movedOnFromBottom = false;
      }
      row = next;
    }
    const int32_t lastRow = row;

    auto add = [&](int32_t y) {
      const PixelPoint vertex{column, y};
      if (kept > 0 && vertices[kept - 1] == vertex) return;  // a line of no length draws nothing
      vertices[kept++] = vertex;
    };
    add(firstRow);
    if (lastRow != top && lastRow != bottom) {
      // To one end of the run's rows, across to the other, back to the last
      // row, which the crossing has drawn.
      add(top);
      if (firstRow != bottom) add(bottom);
      add(lastRow);
    } else if (top != bottom) {
      // The last row is an end of the run's rows. Unless this run ends the
      // trace, the line leaving the column draws its pixel; at the trace's
      // end it is drawn only if the path stood on it before and moved on.
      const bool endsTrace = end == count;
      const bool lastRowDrawn = lastRow == top ? movedOnFromTop : movedOnFromBottom;
      if (endsTrace && lastRowDrawn) add(lastRow);
      add(lastRow == top ? bottom : top);
      add(lastRow);
    }
    first = end;
  }
  return kept;
}
