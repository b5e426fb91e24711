#include <gtest/gtest.h>

#include <cmath>

#include "analysis/WeightingWindow.h"

namespace {

const int32_t kSizes[] = {1024, 2048, 4096, 65536, 262144};

TEST(WeightingWindowEnds, OffPassesEverySampleUnchanged) {
  for (int32_t j : {0, 1, 511, 1023}) EXPECT_EQ(WindowTable[kWindowOff](j, 1024), 1.0);
}

TEST(WeightingWindowEnds, TriangleReachesZeroAndPeaksInTheMiddle) {
  for (int32_t n : kSizes) {
    const auto w = WindowTable[kWindowTriangle];
    EXPECT_EQ(w(0, n), 0.0);
    EXPECT_EQ(w(n - 1, n), 0.0);
    const double top = 1.0 - 1.0 / (n - 1);
    EXPECT_NEAR(w(n / 2 - 1, n), top, 1e-15);
    EXPECT_NEAR(w(n / 2, n), top, 1e-15);
  }
}

TEST(WeightingWindowEnds, ParzenAndWelchStayAboveZero) {
  for (int32_t n : kSizes) {
    EXPECT_NEAR(WindowTable[kWindowParzen](0, n), 2.0 / (n + 1), 1e-15);
    EXPECT_NEAR(WindowTable[kWindowParzen](n - 1, n), 2.0 / (n + 1), 1e-15);
    const double ratio = double(n - 1) / (n + 1);
    EXPECT_NEAR(WindowTable[kWindowWelch](0, n), 1.0 - ratio * ratio, 1e-15);
    EXPECT_NEAR(WindowTable[kWindowWelch](n - 1, n), 1.0 - ratio * ratio, 1e-15);
  }
}

TEST(WeightingWindowEnds, CosineWindowsStartWhereTheFormulaSays) {
  for (int32_t n : kSizes) {
    EXPECT_EQ(WindowTable[kWindowHanning](0, n), 0.0);
    EXPECT_NEAR(WindowTable[kWindowHanning](n - 1, n), 0.0, 1e-15);
    EXPECT_NEAR(WindowTable[kWindowHamming](0, n), 0.08, 1e-15);
    EXPECT_NEAR(WindowTable[kWindowHamming](n - 1, n), 0.08, 1e-15);
    // 0.42 - 0.5 rounds to just below -0.08, so the sum is -2^-56, not 0.
    EXPECT_EQ(WindowTable[kWindowBlackman](0, n), -std::ldexp(1.0, -56));
    EXPECT_NEAR(WindowTable[kWindowBlackman](n - 1, n), 0.0, 1e-15);
  }
}

TEST(WeightingWindowShape, EveryWindowIsSymmetricAndAtMostOne) {
  for (int32_t k = 0; k < kWindowCount; ++k) {
    for (int32_t n : {1024, 4096}) {
      for (int32_t j = 0; j < n; ++j) {
        const double w = WindowTable[k](j, n);
        ASSERT_NEAR(w, WindowTable[k](n - 1 - j, n), 1e-14) << "window " << k << " j " << j;
        ASSERT_LE(w, 1.0) << "window " << k << " j " << j;
        ASSERT_GE(w, -1e-16) << "window " << k << " j " << j;
      }
    }
  }
}

TEST(WeightingWindowShape, MiddleValuesMatchTheTextbookFormulas) {
  const int32_t n = 2048;
  const double pi = 3.14159265358979323846;
  for (int32_t j : {1, 100, 700, 1023, 1500}) {
    const double c = std::cos(2 * pi * j / (n - 1));
    EXPECT_NEAR(WindowTable[kWindowHanning](j, n), 0.5 - 0.5 * c, 1e-14);
    EXPECT_NEAR(WindowTable[kWindowHamming](j, n), 0.54 - 0.46 * c, 1e-14);
    EXPECT_NEAR(WindowTable[kWindowBlackman](j, n),
                0.42 - 0.5 * c + 0.08 * std::cos(4 * pi * j / (n - 1)), 1e-14);
    const double x = (j - (n - 1) / 2.0) / ((n + 1) / 2.0);
    EXPECT_NEAR(WindowTable[kWindowWelch](j, n), 1 - x * x, 1e-14);
  }
}

}  // namespace
