#pragma once

#include <cstdint>

#include "display/PixelPoint.h"

// A tick drawn as one line from `from` towards `to`; `to` itself is the end
// point of the line and stays undrawn.
struct AxisTick {
  PixelPoint from;
  PixelPoint to;
};

// A label and the point its text is aligned to (the alignment is the axis's).
struct AxisLabel {
  static constexpr int32_t kTextCapacity = 12;  // "%d" of any 32-bit value and its end mark

  PixelPoint anchor;
  char text[kTextCapacity];
};
