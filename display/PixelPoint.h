#pragma once

#include <cstdint>

// A point in pixels of some window's client area.
struct PixelPoint {
  int32_t x;
  int32_t y;
};

inline bool operator==(PixelPoint a, PixelPoint b) {
  return a.x == b.x && a.y == b.y;
}
