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
  // "%d" of any 32-bit value, or a tenth after a decimal comma, and the end mark.
  static constexpr int32_t kTextCapacity = 16;

  PixelPoint anchor;
  char text[kTextCapacity];
};
