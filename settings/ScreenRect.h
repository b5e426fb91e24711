#pragma once

#include <cstdint>

// A rectangle in desktop pixels: left and top inside, right and bottom just
// outside, as the system's RECT.
struct ScreenRect {
  int32_t Left = 0;
  int32_t Top = 0;
  int32_t Right = 0;
  int32_t Bottom = 0;

  int32_t Width() const { return Right - Left; }
  int32_t Height() const { return Bottom - Top; }
  bool operator==(const ScreenRect& other) const {
    return Left == other.Left && Top == other.Top && Right == other.Right && Bottom == other.Bottom;
  }
};
