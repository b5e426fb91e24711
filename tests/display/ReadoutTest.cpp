#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "analysis/DisplayRange.h"
#include "analysis/MeasurementSettings.h"
#include "analysis/levels/DistortionAnalyser.h"
#include "analysis/levels/LevelScale.h"
#include "analysis/levels/PeakFinder.h"
#include "display/ColumnReadout.h"
#include "display/LevelAxis.h"
#include "display/OffPlotMarks.h"
#include "display/ReadoutFormat.h"
#include "display/ReadoutPlacement.h"
#include "display/ReferenceTrace.h"
#include "display/ViewLimits.h"
#include "measurement/ShownMeasurementBuilder.h"
#include "tests/settings/MemorySettingsStorage.h"

namespace {

// A view of 601 x 301 pixels at 2048 points, worked out by hand: line 1 lies
// on column 59, line 2 on 113, lines 1011 to 1023 on column 599.
class ColumnReadoutTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Range = kFixedDisplayRange;
    View->Rescale(601, 301, 2048, true);
    for (int32_t i = 0; i < 1024; ++i) (*Levels)[i] = {-10000 + i, -12000 - i};
  }
  // The levels as the program shows them in `choice`, analysed at `size`
  // points with the Hanning window.
  const ShownMeasurement& Shaped(const LevelChoice& choice = {}, int32_t size = 2048) {
    AnalysedLevels analysed;
    analysed.Size = size;
    analysed.Window = kWindowHanning;
    analysed.Levels = Levels.get();
    Builder.Build(analysed, choice, *Shown);
    return *Shown;
  }
  std::unique_ptr<ViewGeometry> View = std::make_unique<ViewGeometry>();
  std::unique_ptr<SpectrumLevels> Levels = std::make_unique<SpectrumLevels>();
  ShownMeasurementBuilder Builder;
  std::unique_ptr<ShownMeasurement> Shown = std::make_unique<ShownMeasurement>();
};

TEST_F(ColumnReadoutTest, FrequencyAndLevelAreThoseTheTraceIsDrawnFrom) {
  (*Levels)[1015][0] = -500;  // the loudest of column 599's lines, left only
  const ColumnReadout readout(*View, Shaped());
  // Column centres 10 x 10^((x + 0.5) / 179.4576): 10.06 Hz, 28.09 Hz,
  // 36.32 Hz, 21909 Hz (+-141 Hz: shown as 21900 Hz), 22192 Hz; column 300 473 Hz.
  EXPECT_NEAR(readout.FrequencyHz(0), 10.0644, 1e-4);
  EXPECT_NEAR(readout.FrequencyHz(599), 21909.0, 0.1);
  EXPECT_NEAR(readout.UncertaintyHz(0), 0.06457, 1e-5);
  struct Case {
    int32_t x;
    bool showMaximum;
    int32_t line;  // whose level (left channel) is shown
  } cases[] = {
      {0, true, 0},                       // nearer to the DC line (0 Hz) than to line 1 (21.5 Hz)
      {59, false, 1},     {80, true, 1},  // 28.1 Hz: between lines 1 and 2, nearer 1
      {100, false, 2},                    // 36.3 Hz: nearer line 2
      {599, true, 1015},                  // the column's largest
      {599, false, 1017},                 // 21909 Hz: the column's line nearest its centre
      {600, false, 1023}, {600, true, 1015},  // right of the last line: its column's
  };
  for (const Case& c : cases) {
    int32_t level = 0;
    ASSERT_TRUE(readout.Level(c.x, 0, c.showMaximum, level));
    EXPECT_EQ(level, (*Levels)[c.line][0]) << "column " << c.x << " maximum " << c.showMaximum;
  }
  EXPECT_EQ(readout.Text(80, true, true, true), L"28,1 Hz  L -100,0 dB  R -120,0 dB");
  EXPECT_EQ(readout.Text(599, false, true, false), L"21900 Hz  R -130,2 dB");

  // Sine levels with the Hanning window (+6,02 dB at 2048 points), the floor
  // still marked. Column 599's lines 1011 to 1023 level, the last 0.05 dB
  // above: the C weighting, falling 0.15 dB over them, makes the first the
  // column's largest.
  (*Levels)[1][1] = -14000;
  const ColumnReadout scaled(*View, Shaped({kScaleSine, kWeightingNone, std::nullopt}));
  EXPECT_EQ(scaled.Text(80, true, true, true), L"28,1 Hz  L -94,0 dBFS  R \u2264-134,0 dBFS");
  // The DC line under the A weighting is a floor line.
  EXPECT_EQ(ColumnReadout(*View, Shaped({kScaleSine, kWeightingA, std::nullopt}))
                .Text(0, true, false, true),
            L"10,06 Hz  L \u2264-134,0 dBFS(A)");
  for (int32_t i = 1011; i < 1024; ++i) (*Levels)[i][0] = -9000;
  (*Levels)[1023][0] = -8995;
  const LevelScale weighted({kScaleUncorrected, kWeightingC, std::nullopt}, kWindowHanning, 2048);
  int32_t columnLevel = 0;
  ASSERT_TRUE(ColumnReadout(*View, Shaped()).Level(599, 0, true, columnLevel));
  EXPECT_EQ(columnLevel, -8995);
  ASSERT_TRUE(ColumnReadout(*View, Shaped({kScaleUncorrected, kWeightingC, std::nullopt}))
                  .Level(599, 0, true, columnLevel));
  EXPECT_EQ(columnLevel, weighted.ScaledLevel(-9000, 1011));
  EXPECT_GT(columnLevel, weighted.ScaledLevel(-8995, 1023));

  View->Rescale(601, 301, 0, true);
  int32_t level = 0;
  EXPECT_FALSE(ColumnReadout(*View, Shaped({}, 0)).Level(300, 0, true, level));
  EXPECT_EQ(ColumnReadout(*View, Shaped({}, 0)).Text(300, true, true, true), L"473 Hz");
}

// A reference of a 16-point transform (lines 2756.25 Hz apart; lines 1 and
// 2 on columns 437 and 491) beside the live 2048 points: named after each
// channel's level with the difference, the nearer of its lines by frequency
// on a column between them (460: 3682 Hz, line 1; 480: 4760 Hz, line 2).
TEST_F(ColumnReadoutTest, AReferenceOfAnotherSizeIsNamedWithTheDifference) {
  for (int32_t i = 0; i < 1024; ++i) (*Levels)[i] = {-1270, -9000};
  std::vector<double> frequencies;
  for (int32_t line = 0; line < 8; ++line) frequencies.push_back(2756.25 * line);
  std::vector<LevelPair> levels(8, {-12000, -12000});
  levels[1] = {-1590, -9000};
  levels[2] = {-3000, -8000};
  ReferenceTrace reference(frequencies, levels);
  reference.Place(*View);
  const ColumnReadout readout(*View, Shaped(), false, &reference);
  // Column 437's centre 2741 Hz, +-17.7 Hz: shown to the ten.
  EXPECT_EQ(readout.Text(437, true, true, true),
            L"2740 Hz  L -12,7 dB  Ref -15,9  \u0394 +3,2  R -90,0 dB  Ref -90,0  \u0394 0,0");
  const struct {
    int32_t x;
    bool showMaximum;
    int32_t line;
  } cases[] = {{437, false, 1}, {460, true, 1}, {460, false, 1}, {480, true, 2}, {480, false, 2}};
  for (const auto& c : cases) {
    int32_t level = 0;
    ASSERT_TRUE(reference.LevelAt(c.x, readout.FrequencyHz(c.x), 0, c.showMaximum, level));
    EXPECT_EQ(level, levels[c.line][0]) << c.x << " maximum " << c.showMaximum;
  }
  // A floor line of the reference, or of the live spectrum, has no
  // difference; a reference in another unit is named in it, without one.
  ConvertedReference floored{true, "dB", levels, std::vector<uint8_t>(8, 0)};
  floored.Floors[1] = ShownMeasurement::kFloorLeft;
  ReferenceTrace withFloor(frequencies, floored);
  withFloor.Place(*View);
  (*Levels)[127][1] = -14000;  // the live right line nearest column 437's centre
  EXPECT_EQ(ColumnReadout(*View, Shaped(), false, &withFloor).Text(437, true, true, false),
            L"2740 Hz  L -12,7 dB  Ref \u2264-15,9  R \u2264-140,0 dB  Ref -90,0");
  floored.Comparable = false;
  floored.Unit = "dB SPL";
  ReferenceTrace otherUnit(frequencies, floored);
  otherUnit.Place(*View);
  EXPECT_EQ(ColumnReadout(*View, Shaped(), false, &otherUnit).Text(437, true, false, false),
            L"2740 Hz  L -12,7 dB  Ref \u2264-15,9 dB SPL");
  EXPECT_EQ(FormatLevelDifference(-4), L"0,0");
  EXPECT_EQ(FormatLevelDifference(-5), L"-0,1");
  EXPECT_EQ(FormatLevelDifference(12750), L"+127,5");
}

// The readout of a zoomed view names the frequency of the column in the
// range shown, and the level of the line there.
TEST_F(ColumnReadoutTest, AZoomedViewReadsItsOwnColumns) {
  ViewRange range;
  range.SetFrequencies(1000.0, 1100.0, 0.0);
  View->SetRange(range);
  View->Rescale(601, 301, 2048, true);
  const ColumnReadout readout(*View, Shaped());
  // Column x spans 1000 x 1.1^(x / 600) to 1000 x 1.1^((x + 1) / 600) Hz.
  EXPECT_NEAR(readout.FrequencyHz(300), 1000.0 * std::pow(1.1, 300.5 / 600), 1e-6);
  // Line 48 (1033.6 Hz) lies on column 208.
  EXPECT_EQ(View->FreqToX(48 * 44100.0 / 2048), 208);
  int32_t level = 0;
  ASSERT_TRUE(readout.Level(208, 0, true, level));
  EXPECT_EQ(level, (*Levels)[48][0]);
}

// Beyond a zoomed edge a trace is marked along that edge; at the scale's
// first range, and for floor lines below the bottom, nothing is.
TEST_F(ColumnReadoutTest, TracesBeyondAZoomedEdgeAreMarkedThere) {
  for (int32_t i = 0; i < 1024; ++i) (*Levels)[i] = {-6000, -14000};
  (*Levels)[48] = {-500, -14000};   // above -10 dB, on column 208 of 1000 to 1100 Hz
  (*Levels)[50] = {-9000, -14000};  // below -80 dB, on column 377
  EXPECT_TRUE(OffPlotMarks(*View, Shaped(), 0, true).Runs().empty());  // the full range
  ViewRange range;
  range.SetFrequencies(1000.0, 1100.0, 0.0);
  range.SetLevels(-10.0, -80.0);
  View->SetRange(range);
  View->Rescale(601, 301, 2048, true);
  for (const bool showMaximum : {true, false}) {
    const OffPlotMarks left(*View, Shaped(), 0, showMaximum);
    ASSERT_EQ(left.Runs().size(), 2u);
    const int32_t column48 = View->FreqToX(48 * 44100.0 / 2048);
    const int32_t column50 = View->FreqToX(50 * 44100.0 / 2048);
    EXPECT_EQ(left.Runs()[0].FromX, column48);
    EXPECT_EQ(left.Runs()[0].ToX, column48);
    EXPECT_EQ(left.Runs()[0].Row, 0);
    EXPECT_EQ(left.Runs()[1].FromX, column50);
    EXPECT_EQ(left.Runs()[1].Row, 299);  // rows 299 and 300, the last two
    // The right channel lies at the floor, below the plot everywhere: no mark.
    EXPECT_TRUE(OffPlotMarks(*View, Shaped(), 1, showMaximum).Runs().empty());
  }
}

TEST(ViewLimitsTest, StoredLimitsComeBackAndNonsenseFallsBack) {
  MemorySettingsStorage storage;
  EXPECT_EQ(LoadViewLimits(storage).HighHz, 22050.0);
  ViewLimits limits;
  limits.LowHz = 1000.0;
  limits.HighHz = 1100.5;
  limits.Slots[ScaleLevelRanges::kDensitySlot] = {-20.5, -150.0};
  SaveViewLimits(storage, limits);
  const ViewLimits loaded = LoadViewLimits(storage);
  EXPECT_EQ(loaded.LowHz, 1000.0);
  EXPECT_EQ(loaded.HighHz, 1100.5);
  EXPECT_EQ(loaded.Slots[ScaleLevelRanges::kDensitySlot].TopDb, -20.5);
  EXPECT_EQ(loaded.Slots[ScaleLevelRanges::kDensitySlot].BottomDb, -150.0);
  EXPECT_EQ(loaded.Slots[ScaleLevelRanges::kSineSlot].TopDb, 10.0);
  // Upside down, beyond the bounds, or of another kind: the first start's.
  storage.WriteNumber("ViewLowHz", 30000000);
  storage.WriteNumber("LevelTopDensity", static_cast<uint32_t>(-16000));
  storage.WriteText("LevelTopSine", "10");
  const ViewLimits fallen = LoadViewLimits(storage);
  EXPECT_EQ(fallen.LowHz, 10.0);
  EXPECT_EQ(fallen.HighHz, 22050.0);
  EXPECT_EQ(fallen.Slots[ScaleLevelRanges::kDensitySlot].TopDb, 20.0);
  EXPECT_EQ(fallen.Slots[ScaleLevelRanges::kSineSlot].TopDb, 10.0);
}

TEST(ReadoutFormatTest, GermanNumbersWithSignsAndTheFloor) {
  EXPECT_EQ(FormatScaledLevel(-1274, false, "dB"), L"-12,7 dB");
  EXPECT_EQ(FormatScaledLevel(-1275, false, "dB"), L"-12,8 dB");
  EXPECT_EQ(FormatScaledLevel(-4, false, "dB"), L"0,0 dB");
  EXPECT_EQ(FormatScaledLevel(-5, false, "dB"), L"-0,1 dB");
  EXPECT_EQ(FormatScaledLevel(250, false, "dB"), L"+2,5 dB");
  EXPECT_EQ(FormatScaledLevel(-14000, true, "dB"), L"\u2264-140,0 dB");
  EXPECT_EQ(FormatScaledLevel(9404, false, "dB SPL"), L"+94,0 dB SPL");
  EXPECT_EQ(FormatScaledLevel(-13398, true, "dBFS"), L"\u2264-134,0 dBFS");

  // Typed levels: decimal comma or point, rounded half away from zero.
  const std::pair<const wchar_t*, int32_t> levels[] = {
      {L"94,0", 9400},        {L" 94 ", 9400},     {L"-6,02", -602}, {L"+114.25", 11425},
      {L"93,995", 9400},      {L"\u22126", -600},  {L"0,004", 0},    {L"300", 30000},
      {L"-300,0000", -30000}, {L"299,9999", 30000}};
  for (const auto& [text, hundredths] : levels) EXPECT_EQ(ParseLevel(text), hundredths) << text;
  for (const wchar_t* nonsense : {L"", L" ", L",5", L"94,", L"9a", L"94,0 dB", L"1e2", L"300,01",
                                  L"300,0005", L"-300,0000001", L"--5", L"4,5,6", L"\u0669"})
    EXPECT_FALSE(ParseLevel(nonsense)) << nonsense;
  // Typed frequencies: no sign, to the thousandth of a hertz.
  const std::pair<const wchar_t*, double> frequencies[] = {{L"1000", 1000.0},
                                                           {L" 1234,5 ", 1234.5},
                                                           {L"22050", 22050.0},
                                                           {L"0,168", 0.168},
                                                           {L"100000", 100000.0}};
  for (const auto& [text, hertz] : frequencies) EXPECT_EQ(ParseFrequency(text), hertz) << text;
  for (const wchar_t* nonsense : {L"", L"-10", L"+10", L"1k", L"10 Hz", L"100000,001", L"1,2,3"})
    EXPECT_FALSE(ParseFrequency(nonsense)) << nonsense;

  EXPECT_EQ(LastDigitExponent(2.15), 0);
  EXPECT_EQ(LastDigitExponent(10.8), 1);
  EXPECT_EQ(LastDigitExponent(0.5), -1);
  EXPECT_EQ(LastDigitExponent(0.0168), -2);
  EXPECT_EQ(FormatFrequency(1234.5, 0), L"1235 Hz");
  EXPECT_EQ(FormatFrequency(1234.5, 1), L"1230 Hz");
  EXPECT_EQ(FormatFrequency(21.533, -2), L"21,53 Hz");
  EXPECT_EQ(FormatFrequency(0.05, -3), L"0,050 Hz");

  SpectralPeak peak{true, 4321.26, -2660, 21.533203125, 0.1};
  // After the level the note, cis⁵ 44.9 cents low, to 0.9 and 4.3 cents.
  EXPECT_EQ(FormatPeak(L'R', peak), L"R 4321 Hz  -26,6 dB  cis\u2075 -45 \u00b11 ct");
  peak.AccuracyLines = 0.5;
  EXPECT_EQ(FormatPeak(L'R', peak), L"R 4320 Hz  -26,6 dB  cis\u2075 -45 \u00b15 ct");
  peak.LineSpacingHz = 44100.0 / 262144;
  peak.AccuracyLines = 0.1;
  EXPECT_EQ(FormatPeak(L'R', peak), L"R 4321,26 Hz  -26,6 dB  cis\u2075 -44,9 ct");
  EXPECT_EQ(FormatPeak(L'R', peak, "dB(A)"), L"R 4321,26 Hz  -26,6 dB(A)  cis\u2075 -44,9 ct");
  // The level to the digits its accuracy supports.
  const std::pair<double, const wchar_t*> accuracies[] = {
      {0.05, L"R 4321,26 Hz  -26,6 dB  cis\u2075 -44,9 ct"},
      {0.051, L"R 4321,26 Hz  -27 dB  cis\u2075 -44,9 ct"},
      {0.5, L"R 4321,26 Hz  -27 dB  cis\u2075 -44,9 ct"},
      {0.51, L"R 4321,26 Hz  -27 \u00b11 dB  cis\u2075 -44,9 ct"},
      {3.2, L"R 4321,26 Hz  -27 \u00b14 dB  cis\u2075 -44,9 ct"}};
  for (const auto& [accuracy, text] : accuracies) {
    peak.LevelAccuracyDb = accuracy;
    EXPECT_EQ(FormatPeak(L'R', peak), text) << accuracy;
  }
  peak.LevelHundredthsDb = 9450;
  EXPECT_EQ(FormatPeak(L'R', peak, "dB SPL"),
            L"R 4321,26 Hz  +95 \u00b14 dB SPL  cis\u2075 -44,9 ct");

  // Notes at the octaves' edges: a quarter tone either side, the step from h
  // to c, the lowest and highest tones shown, and a frequency too uncertain
  // for a note.
  const struct {
    double Hz, UncertaintyHz;
    const wchar_t* Note;
  } notes[] = {{440.0, 0.1, L"a' +0 ct"},
               {440.0, 0.01, L"a' +0,0 ct"},
               {452.6315, 0.01, L"a' +49,0 ct"},
               {453.1547, 0.01, L"b' -49,0 ct"},
               {511.3001, 0.1, L"c'' -40 ct"},
               {505.4273, 0.1, L"h' +40 ct"},
               {252.7136, 0.1, L"h +40 \u00b11 ct"},
               {130.8128, 0.001, L"c +0,0 ct"},
               {65.40639, 0.01, L"C +0 ct"},
               {16.35160, 0.002, L"C\u2082 +0 ct"},
               {10.0, 0.01, L"Dis\u2083 +49 \u00b12 ct"},
               {2093.005, 0.01, L"c'''' +0,0 ct"},
               {4186.009, 0.01, L"c\u2075 +0,0 ct"},
               {20000.0, 0.5, L"dis\u2077 +7,6 ct"},
               {100.0, 3.0, L""}};
  for (const auto& n : notes) EXPECT_EQ(FormatNote(n.Hz, n.UncertaintyHz), n.Note) << n.Hz;

  // The distortion line: THD in tenths and to two significant digits in
  // percent, bounds, the weighting named, the window's leakage said.
  SpectralPeak tone{true, 997.04, -600, 0.168, 0.1};
  ChannelDistortion d;
  d.Measured = true;
  d.HarmonicCount = 3;
  d.ThdDb = -96.349;
  d.ThdPercent = 0.0015259;
  d.ThdPlusNoiseDb = -91.25;
  d.SnrDb = 92.04;
  d.Harmonics[0] = {2, HarmonicReading::Reading::Measured, 1994.1, -9649};
  d.Harmonics[1] = {3, HarmonicReading::Reading::Below, 2991.1, -11851};
  d.Harmonics[2] = {4, HarmonicReading::Reading::Masked, 3988.2, 0};
  EXPECT_EQ(FormatDistortion(L'L', tone, d, "dBFS"),
            L"L 997,04 Hz  -6,0 dBFS  THD -96,3 dB (0,0015 %)  THD+N -91,3 dB  SNR 92,0 dB");
  EXPECT_EQ(FormatHarmonics(d),
            std::vector<std::wstring>{L"  H2 -96 dB  H3 <-119 dB  H4 verdeckt"});
  d.ThdBelow = d.NoiseBounded = true;
  d.ThdPercent = 12.46;
  d.NoiseWeighting = kWeightingA;
  EXPECT_EQ(FormatDistortion(L'L', tone, d, "dBFS"),
            L"L 997,04 Hz  -6,0 dBFS  THD <-96,3 dB (<12 %)  THD+N(A) \u2264-91,3 dB  "
            L"SNR(A) \u226592,0 dB");
  d.ThdMasked = d.NoiseMasked = true;
  EXPECT_EQ(
      FormatDistortion(L'L', tone, d, "dBFS"),
      L"L 997,04 Hz  -6,0 dBFS  THD vom Fenster verdeckt  THD+N und SNR vom Fenster verdeckt");
  d.HarmonicCount = 7;
  EXPECT_EQ(FormatHarmonics(d).size(), 2u);

  EXPECT_EQ(AveragingProgressText(12, 64), L"Mittelung 12/64");
  EXPECT_EQ(AveragingProgressText(64, 64), L"Mittelung exponentiell 64");
  EXPECT_EQ(AveragingProgressText(37, -1), L"Mittelung 37");
}

// A calibration moves the labels, not the rows: to the tenth where it is no
// whole decibel.
TEST(LevelAxisTest, ACalibrationMovesTheLabelsByItsShift) {
  Range = kFixedDisplayRange;
  ViewGeometry view;
  view.Rescale(601, 301, 2048, true);
  const LevelAxis plain(view, 12);
  const std::pair<int32_t, std::vector<std::string>> shifts[] = {
      {0, {"-140", "-70", "0"}},
      {10002, {"-40", "30", "100"}},
      {10030, {"-39,7", "30,3", "100,3"}},
      {-1250, {"-152,5", "-82,5", "-12,5"}}};
  for (const auto& [shift, texts] : shifts) {
    const LevelAxis axis(view, 12, shift);
    ASSERT_EQ(axis.Count(), 15);
    for (int32_t i : {0, 7, 14}) {
      EXPECT_EQ(axis.Label(i).text, texts[i / 7]) << shift;
      EXPECT_EQ(axis.Label(i).anchor.y, plain.Label(i).anchor.y);
    }
  }
}

TEST(ReadoutPlacementTest, BoxStaysInTheViewAndOffThePointer) {
  constexpr int32_t kWidth = 600, kHeight = 300, kBoxWidth = 220, kBoxHeight = 18;
  EXPECT_EQ(ReadoutBoxOrigin({100, 100}, 32, kBoxWidth, kBoxHeight, kWidth, kHeight),
            (PixelPoint{108, 74}));
  for (int32_t pointerHeight : {24, 32, 48, 64}) {
    for (int32_t y = 0; y < kHeight; y += 7) {
      for (int32_t x = 0; x < kWidth; x += 5) {
        const PixelPoint box =
            ReadoutBoxOrigin({x, y}, pointerHeight, kBoxWidth, kBoxHeight, kWidth, kHeight);
        ASSERT_TRUE(box.x >= 0 && box.y >= 0 && box.x + kBoxWidth <= kWidth &&
                    box.y + kBoxHeight <= kHeight);
        const bool clearOfPointer = box.x + kBoxWidth <= x || box.x > x ||
                                    box.y + kBoxHeight <= y || box.y >= y + pointerHeight;
        ASSERT_TRUE(clearOfPointer) << x << ", " << y << ", pointer " << pointerHeight;
      }
    }
  }
}

}  // namespace
