#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <set>

#include "analysis/DisplayRange.h"
#include "analysis/LevelTypes.h"
#include "display/ViewGeometry.h"

namespace {

class ViewGeometryTest : public ::testing::Test {
 protected:
  void SetUp() override { Range = kFixedDisplayRange; }
  // Heap: the column cache is large, and only its allocation is under test.
  std::unique_ptr<ViewGeometry> View = std::make_unique<ViewGeometry>();
};

TEST_F(ViewGeometryTest, StartsEmpty) {
  EXPECT_EQ(View->ViewWidth(), 0);
  EXPECT_EQ(View->ViewHeight(), 0);
  EXPECT_EQ(View->XScale(), 0.0);
  EXPECT_EQ(View->YScale(), 0.0);
  EXPECT_EQ(View->BinCount(), 0);
}

TEST_F(ViewGeometryTest, FrequencyMappingOfA601PixelView) {
  View->Rescale(601, 301, 0, false);
  EXPECT_NEAR(View->XScale(), 179.4576, 1e-4);
  EXPECT_EQ(View->FreqToX(10.0), 0);
  EXPECT_EQ(View->FreqToX(100.0), 179);
  EXPECT_EQ(View->FreqToX(1000.0), 358);
  EXPECT_EQ(View->FreqToX(10000.0), 538);
  EXPECT_EQ(View->FreqToX(20000.0), 592);
  EXPECT_EQ(View->FreqToX(5.0), -54);  // below the plot: negative, truncated toward zero
  EXPECT_EQ(View->BinX()[0], -358);    // the DC line, two decades left of the plot
}

// YScale lies just below 300 / 140: with 64-bit significands the products
// stay below 150 and 300, in doubles they would round up onto them.
TEST_F(ViewGeometryTest, LevelMappingUsesExtendedPrecision) {
  View->Rescale(601, 301, 0, false);
  EXPECT_LT(View->YScale(), 300.0 / 140.0 + 1e-12);
  EXPECT_EQ(static_cast<int32_t>(70.0 * View->YScale()), 150) << "case no longer discriminates";
  EXPECT_EQ(View->LevelToY(0.0), 0);
  EXPECT_EQ(View->LevelToY(-70.0), 149);
  EXPECT_EQ(View->LevelToY(-140.0), 299);
}

TEST_F(ViewGeometryTest, BottomLevelOnTheLastRowOfA310PixelView) {
  View->Rescale(600, 310, 0, false);
  EXPECT_EQ(View->LevelToY(-140.0), 309);
}

TEST_F(ViewGeometryTest, LevelsOutsideTheRangeAreNotClamped) {
  View->Rescale(601, 301, 0, false);
  EXPECT_EQ(View->LevelToY(10.0), -21);
  EXPECT_EQ(View->LevelToY(-150.0), 321);
}

TEST_F(ViewGeometryTest, NonPositiveFrequencyPinsFarLeftInsteadOfOverflowing) {
  View->Rescale(601, 301, 0, false);
  EXPECT_EQ(View->FreqToX(0.0), INT32_MIN);
  EXPECT_EQ(View->FreqToX(-1.0), INT32_MIN);
}

TEST_F(ViewGeometryTest, ColumnsOf2048PointSpectrum) {
  View->Rescale(601, 301, 2048, true);
  ASSERT_EQ(View->BinCount(), 1024);
  const int32_t* binX = View->BinX();
  EXPECT_EQ(binX[1], 59);
  EXPECT_EQ(binX[2], 113);
  EXPECT_EQ(binX[1023], 599);
  std::set<int32_t> columns;
  int32_t longestRun = 0;
  for (int32_t i = 1, run = 0; i < 1024; ++i) {
    columns.insert(binX[i]);
    run = binX[i] == binX[i - 1] ? run + 1 : 1;
    longestRun = std::max(longestRun, run);
  }
  EXPECT_EQ(columns.size(), 278u);
  EXPECT_EQ(longestRun, 13);
}

TEST_F(ViewGeometryTest, ColumnsNeverDecreaseForTheLargestTransform) {
  View->Rescale(1000, 400, kMaxFftSize, true);
  ASSERT_EQ(View->BinCount(), kMaxSpectrumLines);
  const int32_t* binX = View->BinX();
  for (int32_t i = 1; i < kMaxSpectrumLines; ++i) {
    ASSERT_LE(binX[i - 1], binX[i]) << "line " << i;
  }
  EXPECT_EQ(binX[kMaxSpectrumLines - 1], View->FreqToX(22050.0 - 44100.0 / kMaxFftSize));
}

TEST_F(ViewGeometryTest, OversizedOrNegativeSpectrumStaysWithinTheCache) {
  View->Rescale(601, 301, 4 * kMaxFftSize, true);
  EXPECT_EQ(View->BinCount(), kMaxSpectrumLines);
  View->Rescale(601, 301, -2048, true);
  EXPECT_EQ(View->BinCount(), 0);
}

TEST_F(ViewGeometryTest, UnforcedRescaleWaitsForASizeChange) {
  View->Rescale(601, 301, 1024, true);
  View->Rescale(601, 301, 2048, false);
  EXPECT_EQ(View->BinCount(), 512);
  EXPECT_EQ(View->BinX()[1], View->FreqToX(44100.0 / 1024));

  View->Rescale(601, 301, 2048, true);
  EXPECT_EQ(View->BinCount(), 1024);
  EXPECT_EQ(View->BinX()[1], 59);

  View->Rescale(801, 401, 2048, false);
  EXPECT_EQ(View->ViewWidth(), 801);
  EXPECT_EQ(View->ViewHeight(), 401);
  EXPECT_NEAR(View->XScale(), 800 / std::log10(2205.0), 1e-9);
  EXPECT_NEAR(View->YScale(), 400 / 140.0, 1e-12);
}

}  // namespace
