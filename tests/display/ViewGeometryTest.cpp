#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>
#include <set>

#include "analysis/DisplayRange.h"
#include "analysis/LevelTypes.h"
#include "display/ViewGeometry.h"
#include "display/ViewRange.h"

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

// Zoomed: every frequency and level lands on the pixel whose span holds it,
// as worked out from the range alone.
TEST_F(ViewGeometryTest, ZoomedMappingRoundTripsAtRandomRanges) {
  std::mt19937 random(43);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  for (int trial = 0; trial < 200; ++trial) {
    const double lowHz = 10.0 * std::pow(2205.0, unit(random) * 0.99);
    const double highHz = std::min(22050.0, lowHz * std::pow(1.0 + unit(random), 3.0) + 1.0);
    const double bottomDb = -300.0 + 400.0 * unit(random);
    const double topDb = bottomDb + 2.0 + 200.0 * unit(random);
    ViewRange range;
    range.SetFrequencies(lowHz, highHz, 0.0);
    range.SetLevels(topDb, bottomDb);
    View->SetRange(range);
    View->Rescale(200 + trial * 7, 100 + trial * 3, 0, false);
    const long double decades =
        std::log10(static_cast<long double>(range.HighHz()) / range.LowHz());
    const long double columnsPerDecade = (View->ViewWidth() - 1) / decades;
    const long double rowsPerDb =
        (View->ViewHeight() - 1) / static_cast<long double>(range.TopDb() - range.BottomDb());
    for (int point = 0; point < 20; ++point) {
      const double frequencyHz =
          range.LowHz() * std::pow(range.HighHz() / range.LowHz(), unit(random));
      const int32_t x = View->FreqToX(frequencyHz);
      const long double columnLowHz = range.LowHz() * std::pow(10.0L, x / columnsPerDecade);
      const long double columnHighHz = range.LowHz() * std::pow(10.0L, (x + 1) / columnsPerDecade);
      EXPECT_LE(columnLowHz, frequencyHz * (1 + 1e-12)) << trial;
      EXPECT_GT(columnHighHz, frequencyHz * (1 - 1e-12)) << trial;
      const double levelDb = range.BottomDb() + (range.TopDb() - range.BottomDb()) * unit(random);
      const int32_t y = View->LevelToY(levelDb);
      EXPECT_GE(range.TopDb() - y / rowsPerDb, levelDb - 1e-9) << trial;
      EXPECT_LT(range.TopDb() - (y + 1) / rowsPerDb, levelDb + 1e-9) << trial;
    }
    EXPECT_EQ(View->FreqToX(range.LowHz()), 0);
    EXPECT_EQ(View->LevelToY(range.TopDb()), 0);
  }
}

// Only the lines of the range shown, and the columns either side that the
// traces run to, are placed: at 262144 points and 1000 to 1100 Hz some 600
// of 131072.
TEST_F(ViewGeometryTest, ZoomedViewPlacesTheLinesOfItsRangeAndTheirNeighbours) {
  const struct {
    double lowHz, highHz;
    int32_t size, width;
  } cases[] = {{1000.0, 1100.0, kMaxFftSize, 1000}, {10.0, 40.0, kMaxFftSize, 600},
               {5000.0, 22050.0, 2048, 600},        {12.0, 13.0, 1024, 600},
               {20.0, 20000.0, 65536, 959},         {5000.0, 21000.0, kMaxFftSize, 200}};
  for (const auto& c : cases) {
    ViewRange range;
    range.SetFrequencies(c.lowHz, c.highHz, 0.0);
    View->SetRange(range);
    View->Rescale(c.width, 300, c.size, true);
    const double spacingHz = 44100.0 / c.size;
    const int32_t first = View->FirstBin();
    const int32_t end = View->EndBin();
    SCOPED_TRACE(c.lowHz);
    ASSERT_LT(first, end);
    const int32_t* columns = View->BinX();
    for (int32_t i = first; i < end; ++i)
      EXPECT_EQ(columns[i], View->FreqToX(i == 0 ? 0.1 : i * spacingHz)) << i;
    // The first placed column lies left of the plot and holds every line
    // on it; the same at the right end.
    if (c.lowHz > 10.0) {
      EXPECT_LT(columns[first], 0);
      if (first > 0) {
        EXPECT_LT(View->FreqToX((first - 1) * spacingHz), columns[first]);
      }
    } else {
      EXPECT_EQ(first, 0);
    }
    if (end < View->BinCount()) {
      EXPECT_GE(columns[end - 1], c.width);
      EXPECT_GT(View->FreqToX(end * spacingHz), columns[end - 1]);
    }
    // From 10 Hz the DC line and all below are kept; at each edge up to
    // three columns' worth of lines more.
    const double fromHz = c.lowHz > 10.0 ? range.LowHz() : 0.0;
    const double columnShare = std::pow(10.0, 1.0 / View->XScale()) - 1;
    const double edgeLines = 3 * (range.LowHz() + range.HighHz()) * columnShare / spacingHz;
    EXPECT_LE(end - first, (range.HighHz() - fromHz) / spacingHz + edgeLines + 4);
  }
}

TEST(ViewRangeTest, ZoomKeepsTheAnchorAndStaysWithinTheBounds) {
  const auto share = [](const ViewRange& range, double hz) {
    return std::log10(hz / range.LowHz()) / std::log10(range.HighHz() / range.LowHz());
  };
  const struct {
    double lowHz, highHz, anchorHz, factor;
    bool anchorKept;
  } cases[] = {
      {10.0, 22050.0, 1000.0, 1.25, true},     {10.0, 22050.0, 11.0, 4.0, true},
      {900.0, 1100.0, 1000.0, 10.0, true},     {10.0, 22050.0, 20000.0, 100.0, true},
      {100.0, 200.0, 150.0, 0.5, true},        {12.0, 20.0, 13.0, 0.2, false},  // hits 10 Hz
      {10000.0, 20000.0, 19000.0, 0.1, false},
  };
  for (const auto& c : cases) {
    ViewRange range;
    range.SetFrequencies(c.lowHz, c.highHz, 0.0);
    const double before = share(range, c.anchorHz);
    range.ZoomFrequencies(c.anchorHz, c.factor, 0.5);
    SCOPED_TRACE(c.anchorHz);
    EXPECT_GE(range.LowHz(), 10.0);
    EXPECT_LE(range.HighHz(), 22050.0);
    if (c.anchorKept) {
      EXPECT_NEAR(share(range, c.anchorHz), before, 1e-9);
    }
    const double decades = std::log10(range.HighHz() / range.LowHz());
    const double expected = std::min(std::log10(c.highHz / c.lowHz) / c.factor, std::log10(2205.0));
    EXPECT_NEAR(decades, expected, 1e-9);
  }
  // Zoomed out far enough, the whole range returns exactly.
  ViewRange range;
  range.SetFrequencies(1000.0, 1010.0, 0.0);
  for (int notch = 0; notch < 80; ++notch) range.ZoomFrequencies(3000.0, 0.8, 0.5);
  EXPECT_TRUE(range.FullFrequencies());
  EXPECT_EQ(range, ViewRange());
  // Never narrower than asked, the anchor within.
  for (int notch = 0; notch < 80; ++notch) range.ZoomFrequencies(1234.5, 1.25, 0.6729);
  EXPECT_NEAR(range.HighHz() - range.LowHz(), 0.6729, 1e-6);
  EXPECT_LT(range.LowHz(), 1234.5);
  EXPECT_GT(range.HighHz(), 1234.5);
}

TEST(ViewRangeTest, LevelZoomAndPanKeepTheirBounds) {
  ViewRange range;
  range.ZoomLevels(-20.0, 2.0);  // 140 dB about -20 dB: 0 -> -10, -140 -> -80
  EXPECT_DOUBLE_EQ(range.TopDb(), -10.0);
  EXPECT_DOUBLE_EQ(range.BottomDb(), -80.0);
  for (int notch = 0; notch < 50; ++notch) range.ZoomLevels(-33.3, 1.25);
  EXPECT_NEAR(range.TopDb() - range.BottomDb(), ViewRange::kNarrowestDb, 1e-9);
  EXPECT_LT(range.BottomDb(), -33.3);
  EXPECT_GT(range.TopDb(), -33.3);
  range.SetLevels(-100.0, 20.0);  // given upside down
  EXPECT_DOUBLE_EQ(range.TopDb(), 20.0);
  EXPECT_DOUBLE_EQ(range.BottomDb(), -100.0);
  range.PanLevels(1000.0);
  EXPECT_DOUBLE_EQ(range.TopDb(), ViewRange::kHighestDb);
  EXPECT_DOUBLE_EQ(range.TopDb() - range.BottomDb(), 120.0);
  range.SetFrequencies(1000.0, 2000.0, 0.0);
  range.PanFrequencies(-10.0);
  EXPECT_DOUBLE_EQ(range.LowHz(), 10.0);
  EXPECT_NEAR(range.HighHz(), 20.0, 1e-9);
  range.PanFrequencies(10.0);
  EXPECT_DOUBLE_EQ(range.HighHz(), 22050.0);
  EXPECT_NEAR(range.LowHz(), 11025.0, 1e-6);
}

// A 48 kHz spectrum's frequencies reach 24 kHz: the whole range stays whole,
// a zoomed one keeps its span, and back at 44.1 kHz it is pulled within 22050 Hz.
TEST(ViewRangeTest, TheFrequenciesReachHalfTheShownRate) {
  ViewRange range;
  range.SetHighestHz(24000.0);
  EXPECT_TRUE(range.FullFrequencies());
  EXPECT_DOUBLE_EQ(range.HighHz(), 24000.0);
  range.PanFrequencies(1.0);
  range.ZoomFrequencies(20000.0, 0.5, 1.0);
  EXPECT_DOUBLE_EQ(range.HighHz(), 24000.0);
  range.SetFrequencies(20000.0, 23000.0, 0.0);
  range.PanFrequencies(1.0);
  EXPECT_DOUBLE_EQ(range.HighHz(), 24000.0);
  range.SetHighestHz(22050.0);
  EXPECT_DOUBLE_EQ(range.HighHz(), 22050.0);
  EXPECT_NEAR(range.LowHz(), 22050.0 - (24000.0 - 24000.0 / 1.15), 1e-6);  // the span in hertz kept
  range.SetFrequencies(10.0, 30000.0, 0.0);
  EXPECT_TRUE(range.FullFrequencies());
}

}  // namespace
