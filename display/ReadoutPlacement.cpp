#include "display/ReadoutPlacement.h"

#include <algorithm>

PixelPoint ReadoutBoxOrigin(PixelPoint pointer, int32_t pointerHeightPx, int32_t boxWidthPx,
                            int32_t boxHeightPx, int32_t viewWidthPx, int32_t viewHeightPx) {
  int32_t left = pointer.x + kReadoutPointerGapPx;
  if (left + boxWidthPx > viewWidthPx) left = pointer.x - kReadoutPointerGapPx - boxWidthPx;
  int32_t top = pointer.y - kReadoutPointerGapPx - boxHeightPx;
  if (top < 0) top = pointer.y + pointerHeightPx;
  left = std::max(0, std::min(left, viewWidthPx - boxWidthPx));
  top = std::max(0, std::min(top, viewHeightPx - boxHeightPx));
  return {left, top};
}
