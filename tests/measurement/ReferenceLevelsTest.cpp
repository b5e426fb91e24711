// A reference kept in one scale and viewed in another, through the value the
// program shows: converted where its facts allow, otherwise named in its own
// unit and not compared. The expected offsets come from the Hanning window's
// closed forms, not from the program's scales.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <optional>
#include <string>

#include "analysis/AnalysisWorker.h"
#include "analysis/DisplayRange.h"
#include "analysis/MeasurementSettings.h"
#include "analysis/WeightingWindow.h"
#include "export/HeaderTexts.h"
#include "export/LevelFileReader.h"
#include "export/LevelFileWriter.h"
#include "export/LevelTable.h"
#include "measurement/ReferenceLevels.h"
#include "measurement/ShownMeasurementBuilder.h"
#include "tests/analysis/TestSignals.h"

namespace {

constexpr int32_t kPoints = 2048;
constexpr int32_t kLine = 100;       // a line well inside the spectrum
constexpr int32_t kFloorLine = 200;  // a line at the analysis floor, left only
constexpr int32_t kCalibration = 10002;

int32_t Hundredths(double db) {
  return static_cast<int32_t>(std::lround(db * 100.0));
}
// Hanning over n points: coherent gain 0.5 (n - 1) / n, noise bandwidth
// 1.5 n / (n - 1) lines of 44100 / n Hz.
double SineOffsetDb() {
  return -20.0 * std::log10(0.5 * (kPoints - 1) / kPoints);
}
double DensityOffsetDb() {
  return SineOffsetDb() - 10.0 * std::log10(1.5 * kPoints / (kPoints - 1) * 44100.0 / kPoints);
}

class ReferenceLevelsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Range = kFixedDisplayRange;
    for (LevelPair& line : *Stored) line = {-5000, -7000};
    (*Stored)[kFloorLine][0] = -14000;
  }
  // The stored levels as the program shows them in `choice`, kept as the reference.
  ReferenceLevels Taken(const LevelChoice& choice) {
    AnalysedLevels analysed;
    analysed.Size = kPoints;
    analysed.Window = kWindowHanning;
    analysed.Levels = Stored.get();
    Builder.Build(analysed, choice, *Shown);
    return ReferenceLevels::FromShown(*Shown);
  }
  std::unique_ptr<SpectrumLevels> Stored = std::make_unique<SpectrumLevels>();
  ShownMeasurementBuilder Builder;
  std::unique_ptr<ShownMeasurement> Shown = std::make_unique<ShownMeasurement>();
};

TEST_F(ReferenceLevelsTest, ATakenReferenceReadsInEveryScaleAsItsLinesWouldThere) {
  const LevelChoice uncorrected{kScaleUncorrected, kWeightingNone, std::nullopt};
  const LevelChoice sine{kScaleSine, kWeightingNone, std::nullopt};
  const LevelChoice density{kScaleNoiseDensity, kWeightingNone, std::nullopt};
  const LevelChoice calibrated{kScaleSine, kWeightingNone, kCalibration};
  const struct {
    LevelChoice Kept, Viewed;
    int32_t Expected;  // the left level of kLine as the view shows it
    const char* Unit;
  } cases[] = {
      {uncorrected, sine, -5000 + Hundredths(SineOffsetDb()), "dBFS"},
      {uncorrected, density, -5000 + Hundredths(DensityOffsetDb()), "dB/Hz"},
      {sine, uncorrected, -5000, "dB"},
      {uncorrected, calibrated, -5000 + Hundredths(SineOffsetDb()) + kCalibration, "dB SPL"},
      // Kept calibrated, viewed without: its calibration goes with it.
      {calibrated, sine, -5000 + Hundredths(SineOffsetDb()), "dBFS"},
      {calibrated, uncorrected, -5000, "dB"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(Taken(c.Kept).Facts().Unit) + " viewed in " + c.Unit);
    const ConvertedReference converted = Taken(c.Kept).ConvertedFor(c.Viewed);
    EXPECT_TRUE(converted.Comparable);
    EXPECT_EQ(converted.Unit, c.Unit);
    EXPECT_NEAR(converted.Levels[kLine][0], c.Expected, 1);
    EXPECT_NEAR(converted.Levels[kLine][1], c.Expected - 2000, 1);
    // A floor line stays one, at the floor of the view's scale.
    EXPECT_TRUE(converted.Floors[kFloorLine] & ShownMeasurement::kFloorLeft);
    EXPECT_FALSE(converted.Floors[kFloorLine] & ShownMeasurement::kFloorRight);
    EXPECT_FALSE(converted.Floors[kLine] & ShownMeasurement::kFloorLeft);
    EXPECT_NEAR(converted.Levels[kFloorLine][0], c.Expected - 9000, 1);
  }
}

TEST_F(ReferenceLevelsTest, AFileIsConvertedOnlyWhereItStatesItsScaleWindowAndSize) {
  // Levels of a calibrated unit carry the calibration stated, if any.
  const auto file = [](const std::string& unit, const std::string& window, int32_t points,
                       std::optional<int32_t> calibration = std::nullopt) {
    LevelTable table;
    table.Header.LevelScale = unit;
    table.Header.Window = window;
    table.Header.FftSize = points;
    table.Header.CalibrationHundredthsDb = calibration;
    table.FrequenciesHz = {0.0, 1000.0, 2000.0};
    table.Levels = {{-14000, -9000}, {-3000, -4000}, {-14000 + 602, -2000}};
    for (LevelPair& levels : table.Levels)
      for (int32_t& level : levels) level += calibration.value_or(0);
    return ReferenceLevels::FromTable(table);
  };
  const LevelChoice uncorrected{kScaleUncorrected, kWeightingNone, std::nullopt};
  const LevelChoice sine{kScaleSine, kWeightingNone, std::nullopt};

  // Sine levels of a Hanning spectrum of 2048 points: uncorrected, 6.02 dB lower.
  ConvertedReference converted = file("dBFS", "Hanning", kPoints).ConvertedFor(uncorrected);
  EXPECT_TRUE(converted.Comparable);
  EXPECT_EQ(converted.Unit, "dB");
  EXPECT_NEAR(converted.Levels[1][0], -3000 - Hundredths(SineOffsetDb()), 1);
  EXPECT_TRUE(converted.Floors[2] & ShownMeasurement::kFloorLeft);  // its own scale's floor
  EXPECT_FALSE(converted.Floors[2] & ShownMeasurement::kFloorRight);

  // Calibrated, the calibration stated: converted the same, its floor known.
  converted = file("dB SPL", "Hanning", kPoints, kCalibration).ConvertedFor(uncorrected);
  EXPECT_TRUE(converted.Comparable);
  EXPECT_EQ(converted.Unit, "dB");
  EXPECT_NEAR(converted.Levels[1][0], -3000 - Hundredths(SineOffsetDb()), 1);
  EXPECT_TRUE(converted.Floors[2] & ShownMeasurement::kFloorLeft);
  EXPECT_FALSE(converted.Floors[2] & ShownMeasurement::kFloorRight);

  // The same unit needs no facts.
  converted = file("dBFS", "", 0).ConvertedFor(sine);
  EXPECT_TRUE(converted.Comparable);
  EXPECT_EQ(converted.Levels[1][0], -3000);

  // Without the window, without the size, with a calibration not stated or a
  // unit the program does not show: as kept, in its own unit.
  for (const ReferenceLevels& reference :
       {file("dBFS", "", kPoints), file("dBFS", "Hanning", 0), file("dB SPL", "Hanning", kPoints),
        file("", "Hanning", kPoints), file("Pa", "Hanning", kPoints)}) {
    converted = reference.ConvertedFor(uncorrected);
    EXPECT_FALSE(converted.Comparable) << reference.Facts().Unit;
    EXPECT_EQ(converted.Unit, reference.Facts().Unit);
    EXPECT_EQ(converted.Levels[1][0], -3000);
  }
}

// An A-weighted spectrum through the analysis, written as the export writes
// the spectrum shown and read back in both file types: every row as shown.
// The DC lines, which the weighting would take 300 dB down (the right one
// holds a DC of 1000 sample units, 36 dB above the floor unweighted), are
// floor rows and read back as floor lines of the reference; the tone's line
// is none.
TEST_F(ReferenceLevelsTest, AWeightedExportReadsBackWithItsFloorRows) {
  constexpr int32_t kToneLine = 100;
  Write(Settings.AutoOffset, 0);
  Write(Settings.AverageLength, 0);
  Write(Settings.Weighting, kWindowHanning);
  auto block = std::make_unique<StereoBlock>();
  block->Sine(0, kPoints, kToneLine, 16384.0);
  block->Constant(1, kPoints, 1000);
  auto worker = std::make_unique<AnalysisWorker>(block->Samples.data());
  worker->RecordQueuedFrames(kPoints);
  worker->AnalyseCapture();
  AnalysedLevels analysed;
  analysed.Size = kPoints;
  analysed.Window = kWindowHanning;
  analysed.Levels = &worker->WorkLevels();
  const LevelChoice choice{kScaleSine, kWeightingA, std::nullopt};
  Builder.Build(analysed, choice, *Shown);
  EXPECT_TRUE(Shown->AtFloor(0, 0) && Shown->AtFloor(0, 1));
  LevelTable table;
  table.Header.FftSize = kPoints;
  table.Header.Window = WindowName(kWindowHanning);
  table.Header.LevelScale = Shown->Unit;
  for (int32_t line = 0; line < Shown->LineCount(); ++line) {
    table.FrequenciesHz.push_back(Shown->LineFrequencyHz(line));
    table.Levels.push_back((*Shown->Levels)[line]);
  }
  for (const SpectrumFileType type :
       {SpectrumFileType::TabText, SpectrumFileType::SpreadsheetCsv}) {
    const SpectrumFileReading reading = ReadSpectrumFile(WriteSpectrumFile(table, type));
    ASSERT_TRUE(reading.Read) << "line " << reading.FaultLine << ": " << reading.Fault;
    EXPECT_EQ(reading.Table.Levels, table.Levels);
    const ConvertedReference read = ReferenceLevels::FromTable(reading.Table).ConvertedFor(choice);
    EXPECT_TRUE(read.Comparable);
    EXPECT_EQ(read.Floors[0], ShownMeasurement::kFloorLeft | ShownMeasurement::kFloorRight);
    EXPECT_FALSE(read.Floors[kToneLine] & ShownMeasurement::kFloorLeft);
  }
}

}  // namespace
