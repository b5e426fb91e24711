#include <gtest/gtest.h>

#include <memory>

#include "analysis/DisplayRange.h"
#include "display/TraceCache.h"
#include "display/TraceVertices.h"
#include "display/ViewRange.h"

namespace {

class TraceVerticesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Range = kFixedDisplayRange;
    for (int32_t i = 0; i < kMaxSpectrumLines; ++i) (*Levels)[i] = {-6000, -9000};
  }
  // The first line at or after `from` that shares its column with the next line.
  int32_t FirstSharedColumn(int32_t from) const {
    while (View->BinX()[from] != View->BinX()[from + 1]) ++from;
    return from;
  }

  std::unique_ptr<ViewGeometry> View = std::make_unique<ViewGeometry>();
  std::unique_ptr<SpectrumLevels> Levels = std::make_unique<SpectrumLevels>();
  std::unique_ptr<TraceVertices> Trace = std::make_unique<TraceVertices>();
};

TEST_F(TraceVerticesTest, OneVertexPerColumnWithMaximumOnePerLineWithout) {
  View->Rescale(601, 301, 2048, true);
  // The DC line's own column plus the 278 columns of lines 1 to 1023.
  EXPECT_EQ(Trace->Build(*View, *Levels, 0, true), 279);
  EXPECT_EQ(Trace->Build(*View, *Levels, 0, false), 1024);
  for (int32_t i = 0; i < 1024; ++i) {
    ASSERT_EQ(Trace->Points()[i].x, View->BinX()[i]);
  }
}

TEST_F(TraceVerticesTest, ColumnVertexTakesTheLargestLevelOfItsGroup) {
  View->Rescale(601, 301, 8192, true);
  const int32_t first = FirstSharedColumn(1);
  const int32_t column = View->BinX()[first];
  (*Levels)[first][1] = -14000;
  (*Levels)[first + 1][1] = -2000;  // the group's maximum, not at its start
  (*Levels)[first - 1][1] = 500;    // the column before: must not leak in

  const int32_t count = Trace->Build(*View, *Levels, 1, true);
  int32_t found = 0;
  for (int32_t v = 0; v < count; ++v) {
    const PixelPoint point = Trace->Points()[v];
    if (point.x == column) {
      ++found;
      EXPECT_EQ(point.y, View->LevelToY(-20.0));
      EXPECT_EQ(Trace->Points()[v - 1].y, View->LevelToY(5.0));
    }
  }
  EXPECT_EQ(found, 1);

  Trace->Build(*View, *Levels, 1, false);
  EXPECT_EQ(Trace->Points()[first], (PixelPoint{column, View->LevelToY(-140.0)}));
  EXPECT_EQ(Trace->Points()[first + 1], (PixelPoint{column, View->LevelToY(-20.0)}));
}

TEST_F(TraceVerticesTest, ChannelsAreKeptApart) {
  View->Rescale(601, 301, 1024, true);
  Trace->Build(*View, *Levels, 0, false);
  EXPECT_EQ(Trace->Points()[100].y, View->LevelToY(-60.0));
  Trace->Build(*View, *Levels, 1, false);
  EXPECT_EQ(Trace->Points()[100].y, View->LevelToY(-90.0));
}

TEST_F(TraceVerticesTest, LevelsBeyondThePlotAreNotClamped) {
  View->Rescale(601, 301, 1024, true);
  (*Levels)[10][0] = 1000;    // +10 dB
  (*Levels)[11][0] = -15000;  // -150 dB
  Trace->Build(*View, *Levels, 0, false);
  EXPECT_EQ(Trace->Points()[10].y, -21);
  EXPECT_EQ(Trace->Points()[11].y, 321);
}

TEST_F(TraceVerticesTest, EmptyAndDcOnlySpectra) {
  View->Rescale(601, 301, 0, true);
  EXPECT_EQ(Trace->Build(*View, *Levels, 0, true), 0);
  EXPECT_EQ(Trace->Build(*View, *Levels, 0, false), 0);
  View->Rescale(601, 301, 2, true);
  EXPECT_EQ(Trace->Build(*View, *Levels, 0, true), 1);
  EXPECT_EQ(Trace->Points()[0], (PixelPoint{-358, View->LevelToY(-60.0)}));
}

TEST_F(TraceVerticesTest, LargestTransformFitsTheBuffer) {
  View->Rescale(1000, 400, kMaxFftSize, true);
  EXPECT_EQ(Trace->Build(*View, *Levels, 0, false), kMaxSpectrumLines);
  // At most one vertex per column from the DC line's to the last one.
  EXPECT_LE(Trace->Build(*View, *Levels, 0, true), View->ViewWidth() - View->BinX()[0]);
}

// The cache draws what a fresh build draws and builds anew exactly when one
// thing it is built from changed: each row changes one and asks again.
TEST_F(TraceVerticesTest, TheCacheRebuildsWhenTheTraceItIsBuiltFromChanged) {
  TraceCache cache;
  View->Rescale(601, 301, 65536, true);
  for (int32_t i = 0; i < kMaxSpectrumLines; ++i) (*Levels)[i] = {-3000 - i % 7 * 900, -8000};
  struct Asked {
    uint64_t Number;
    int32_t Channel;
    bool Maximum;
    int32_t Shift;
  } asked{1, 0, false, 0};
  const struct {
    const char* Change;
    bool Rebuilt;
    void (*Apply)(ViewGeometry&, SpectrumLevels&, Asked&);
  } steps[] = {
      {"first drawing", true, [](ViewGeometry&, SpectrumLevels&, Asked&) {}},
      {"nothing", false, [](ViewGeometry&, SpectrumLevels&, Asked&) {}},
      {"new levels", true,
       [](ViewGeometry&, SpectrumLevels& levels, Asked& a) {
         levels[3000][0] = 0;
         a.Number = 2;
       }},
      {"other channel", true, [](ViewGeometry&, SpectrumLevels&, Asked& a) { a.Channel = 1; }},
      {"maximum drawing", true, [](ViewGeometry&, SpectrumLevels&, Asked& a) { a.Maximum = true; }},
      {"axis shift", true, [](ViewGeometry&, SpectrumLevels&, Asked& a) { a.Shift = 10000; }},
      {"resize", true,
       [](ViewGeometry& view, SpectrumLevels&, Asked&) { view.Rescale(500, 301, 65536, false); }},
      {"range", true,
       [](ViewGeometry& view, SpectrumLevels&, Asked&) {
         ViewRange range;
         range.SetFrequencies(900.0, 1200.0, 0.0);
         view.SetRange(range);
         view.Rescale(500, 301, 65536, false);
       }},
      {"nothing again", false, [](ViewGeometry&, SpectrumLevels&, Asked&) {}},
      {"unnumbered levels", true, [](ViewGeometry&, SpectrumLevels&, Asked& a) { a.Number = 0; }},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.Change);
    step.Apply(*View, *Levels, asked);
    const uint64_t builds = cache.BuildCount();
    const TraceVertices& cached =
        cache.Trace(*View, *Levels, asked.Number, asked.Channel, asked.Maximum, asked.Shift);
    EXPECT_EQ(cache.BuildCount() - builds, step.Rebuilt ? 1u : 0u);
    int32_t count = Trace->Build(*View, *Levels, asked.Channel, asked.Maximum, asked.Shift);
    if (!asked.Maximum) count = Trace->ThinColumns();
    ASSERT_EQ(cached.Count(), count);
    for (int32_t v = 0; v < count; ++v) ASSERT_EQ(cached.Points()[v], Trace->Points()[v]) << v;
  }
}

}  // namespace
