#pragma once

#include <gtest/gtest.h>

#include <cstdint>

#include "windowing/LayoutArithmetic.h"

inline void ExpectRect(const LayoutRect& rect, int32_t x, int32_t y, int32_t width,
                       int32_t height) {
  EXPECT_EQ(rect.x, x);
  EXPECT_EQ(rect.y, y);
  EXPECT_EQ(rect.width, width);
  EXPECT_EQ(rect.height, height);
}
