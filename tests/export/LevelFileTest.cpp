#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "analysis/levels/LevelScale.h"
#include "analysis/levels/WindowGain.h"
#include "export/HeaderTexts.h"
#include "export/LevelFileReader.h"
#include "export/LevelFileWriter.h"
#include "settings/SettingsCodec.h"

namespace {

constexpr int32_t kLargeRows = 131072;
// Frequencies are written to four decimals: read back, they lie within half
// of the last one, and the double read for a number below 22050 Hz within
// 4e-12 Hz of that.
constexpr double kFrequencyToleranceHz = 0.00005 + 1e-11;

LevelTable SmallTable() {
  LevelTable table;
  table.Header = {"Frelox 1.02",
                  DateTimeText(2026, 12, 10, 14, 3, 22),
                  "Mic & Line (USB)",
                  2048,
                  WindowName(2),
                  AveragingText(12, 16),
                  "dBFS",
                  {Windows1252Text(L"L 997,0 Hz  -6,0 dBFS  THD+N \u2264-91,3 dB  H2 \u2013"), ""},
                  "",
                  std::nullopt};
  table.FrequenciesHz = {0.0, 21.533203125, 1234.5};
  table.Levels = {{-14000, -5}, {-1270, 5}, {kMinFileLevelHundredthsDb, kMaxFileLevelHundredthsDb}};
  return table;
}

// The lines of a 262144-point transform, every level from -700 to +600 dB
// met somewhere in either channel.
LevelTable LargeTable() {
  LevelTable table;
  table.Header.FftSize = 2 * kLargeRows;
  table.Header.LevelScale = "dB SPL";
  table.Header.CalibrationHundredthsDb = -50000;
  uint32_t state = 7;
  for (int32_t line = 0; line < kLargeRows; ++line) {
    table.FrequenciesHz.push_back(44100.0 * line / (2 * kLargeRows));
    LevelPair levels;
    for (int32_t& level : levels) {
      state = state * 1664525u + 1013904223u;
      level = kMinFileLevelHundredthsDb +
              static_cast<int32_t>((state >> 8) %
                                   (kMaxFileLevelHundredthsDb - kMinFileLevelHundredthsDb + 1));
    }
    table.Levels.push_back(levels);
  }
  return table;
}

// A C library locale with a decimal comma, if the system has one.
bool UseCommaLocale() {
  for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "German_Germany.1252", "German"})
    if (std::setlocale(LC_ALL, name) && *std::localeconv()->decimal_point == ',') return true;
  std::setlocale(LC_ALL, "C");
  return false;
}

TEST(LevelFileTest, EachTypeWritesItsOwnForm) {
  const std::string header =
      "* Frelox 1.02\r\n* Datum: 2026-12-10 14:03:22\r\n* Eingang: Mic & Line (USB)\r\n"
      "* St\xFCtzpunkte: 2048\r\n* Bewertungsfenster: Hanning\r\n"
      "* Mittelung: 16 Messungen (exponentiell), 12 gemittelt\r\n* Pegel: dBFS\r\n";
  // The distortion shown, in Windows-1252; a channel's response has only its own.
  const std::string distortion =
      "* Verzerrung Links: L 997,0 Hz  -6,0 dBFS  THD+N <=-91,3 dB  H2 \x96\r\n";
  EXPECT_EQ(WriteSpectrumFile(SmallTable(), SpectrumFileType::TabText),
            header + distortion +
                "* Frequenz [Hz]\tLinks [dBFS]\tRechts [dBFS]\r\n"
                "0.0000\t-140.00\t-0.05\r\n21.5332\t-12.70\t0.05\r\n"
                "1234.5000\t-700.00\t600.00\r\n");
  EXPECT_EQ(WriteSpectrumFile(SmallTable(), SpectrumFileType::SpreadsheetCsv),
            header + distortion +
                "* Frequenz [Hz];Links [dBFS];Rechts [dBFS]\r\n"
                "0,0000;-140,00;-0,05\r\n21,5332;-12,70;0,05\r\n"
                "1234,5000;-700,00;600,00\r\n");
  // One channel, its name after the program's, no 0 Hz line.
  const std::string settings = header.substr(header.find("* Datum"));
  EXPECT_EQ(WriteSpectrumFile(SmallTable(), SpectrumFileType::RightResponse),
            "* Frelox 1.02\r\n* Kanal: Rechts\r\n" + settings +
                "* Frequenz [Hz]\tRechts [dBFS]\r\n21.5332\t0.05\r\n1234.5000\t600.00\r\n");
  LevelTable noUnit = SmallTable();
  noUnit.Header.LevelScale.clear();
  EXPECT_NE(WriteSpectrumFile(noUnit, SpectrumFileType::LeftResponse)
                .find("* Frequenz [Hz]\tLinks\r\n21.5332\t-12.70\r\n"),
            std::string::npos);
  // A calibrated scale states its calibration after the unit.
  for (const auto& [calibration, line] :
       {std::pair{10002, "* Pegel: dB SPL\r\n* Kalibrierung: +100,02 dB\r\n"},
        {-4, "* Pegel: dB SPL\r\n* Kalibrierung: -0,04 dB\r\n"}}) {
    LevelTable calibrated = SmallTable();
    calibrated.Header.LevelScale = "dB SPL";
    calibrated.Header.CalibrationHundredthsDb = calibration;
    EXPECT_NE(WriteSpectrumFile(calibrated, SpectrumFileType::LeftResponse).find(line),
              std::string::npos)
        << line;
  }
  EXPECT_EQ(AveragingText(0, 0), "Aus");
  EXPECT_EQ(AveragingText(37, -1), "Fortlaufend, 37 gemittelt");
}

// Written, then read: the same table, header and all, in every type (a
// channel's response as that channel's levels on both, without the 0 Hz
// line); in a locale with a decimal comma the bytes written are the same and
// read the same.
TEST(LevelFileTest, WrittenFilesReadBackAsTheTableTheyWereWrittenFrom) {
  const struct {
    const char* Name;
    LevelTable Table;
  } tables[] = {{"small", SmallTable()}, {"131072 rows", LargeTable()}};
  const bool commaLocale = UseCommaLocale();
  std::setlocale(LC_ALL, "C");
  for (const auto& [name, table] : tables) {
    for (const auto& [type, typeName, channel] : {std::tuple{SpectrumFileType::TabText, " txt", -1},
                                                  {SpectrumFileType::SpreadsheetCsv, " csv", -1},
                                                  {SpectrumFileType::LeftResponse, " left", 0},
                                                  {SpectrumFileType::RightResponse, " right", 1}}) {
      SCOPED_TRACE(std::string(name) + typeName);
      LevelTable expected = table;
      if (channel >= 0) {
        expected.FrequenciesHz.erase(expected.FrequenciesHz.begin());
        expected.Levels.erase(expected.Levels.begin());
        for (LevelPair& levels : expected.Levels) levels = {levels[channel], levels[channel]};
        expected.Header.Distortion[1 - channel].clear();
      }
      const std::string bytes = WriteSpectrumFile(table, type);
      // .frd: the program's own names say that no column is a phase.
      const SpectrumFileReading reading = ReadSpectrumFile(bytes, "C:\\Messung\\Spektrum.FRD");
      ASSERT_TRUE(reading.Read) << "line " << reading.FaultLine << ": " << reading.Fault;
      EXPECT_EQ(reading.Table.Header, expected.Header);
      ASSERT_EQ(reading.Table.RowCount(), expected.RowCount());
      EXPECT_EQ(reading.Table.Levels, expected.Levels);
      for (int32_t row = 0; row < expected.RowCount(); ++row)
        ASSERT_NEAR(reading.Table.FrequenciesHz[row], expected.FrequenciesHz[row],
                    kFrequencyToleranceHz)
            << "row " << row;
      if (!commaLocale) continue;
      UseCommaLocale();
      EXPECT_EQ(WriteSpectrumFile(table, type), bytes);
      EXPECT_EQ(ReadSpectrumFile(bytes).Table.Levels, expected.Levels);
      std::setlocale(LC_ALL, "C");
    }
  }
  // Under Wine the C library always has one; natively it may be missing.
  if (!commaLocale)
    std::printf("[   NOTE   ] no locale with a decimal comma: not compared in one\n");
}

// numpy.savetxt's default form of a number: "%.18e".
std::string SavetxtNumber(double value) {
  char text[40];
  std::snprintf(text, sizeof text, "%.18e", value);
  return text;
}

// Files as other programs write them, each with the frequencies and levels
// (hundredths, both channels) and the unit the reader must give.
TEST(LevelFileTest, FilesOfOtherProgramsReadAsTheyMeantThem) {
  struct Row {
    double FrequencyHz;
    LevelPair Levels;
  };
  const std::vector<Row> rows = {
      {20.0, {-1270, -1270}}, {1000.0, {9425, 9425}}, {19999.5, {-14001, -14001}}};
  const std::vector<Row> stereo = {
      {20.0, {-1270, 512}}, {1000.0, {9425, -7}}, {19999.5, {-14001, -69999}}};
  std::string savetxt;  // np.savetxt(name, np.column_stack((f, level)))
  std::string savetxtStereo;
  for (const Row& row : rows)
    savetxt += SavetxtNumber(row.FrequencyHz) + " " + SavetxtNumber(row.Levels[0] / 100.0) + "\n";
  for (const Row& row : stereo)
    savetxtStereo += SavetxtNumber(row.FrequencyHz) + " " + SavetxtNumber(row.Levels[0] / 100.0) +
                     " " + SavetxtNumber(row.Levels[1] / 100.0) + "\n";
  const struct {
    const char* Name;
    std::string Text;
    const char* FileName;
    const std::vector<Row>& Rows;
    const char* Unit;
  } files[] = {
      {"numpy savetxt default", savetxt, "a.txt", rows, ""},
      {"numpy savetxt, 3 columns, '#' header", "# frequency left right\n" + savetxtStereo, "a.dat",
       stereo, ""},
      {"FRD, tabs, phase",
       "* woofer, 1 m\r\n20.000\t-12.70\t-45.2\r\n1000.000\t94.25\t178.0\r\n"
       "19999.500\t-140.01\t-3.5\r\n",
       "C:\\Messung\\woofer.FRD", rows, ""},
      {"FRD, spaces, phase",
       "* tweeter\n  20.000  -12.70  -45.2\n  1000.000  94.25  178.0\n"
       "  19999.500  -140.01  -3.5\n",
       "t.frd", rows, ""},
      {"response with names, phase",
       "* Measurement data\n* Freq(Hz) SPL(dB) Phase(degrees)\n"
       "20.000000 -12.700 -45.2\n1000.000000 94.250 178.0\n19999.500000 -140.010 -3.5\n",
       "m.txt", rows, "dB"},
      {"audio editor's spectrum, a names line",
       "Frequency (Hz)\tLevel (dB)\n20.000000\t-12.700000\n1000.000000\t94.250000\n"
       "19999.500000\t-140.010000\n",
       "", rows, "dB"},
      {"CR ends, byte order mark, ';' comments, commas",
       "\xEF\xBB\xBF; exported\r20.0, -12.7\r1000.0, 94.25\r19999.5, -140.01\r", "", rows, ""},
      {"Octave save -ascii",
       " 2.00000000e+01 -1.27000000e+01\n 1.00000000e+03  9.42500000e+01\n"
       " 1.99995000e+04 -1.40010000e+02\n",
       "", rows, ""},
      {"spreadsheet, names, decimal commas",
       "Frequenz;Pegel [dB SPL]\r\n20;-12,7\r\n1000;94,25\r\n19999,5;-140,01\r\n", "", rows,
       "dB SPL"},
      {"the program's 3 columns and a Pegel line beat the names",
       "* Pegel: dBFS\n* Frequenz [Hz]\tLinks [dB]\tRechts [dB]\n20.0\t-12.70\t5.12\n"
       "1000.0\t94.25\t-0.07\n19999.5\t-140.01\t-699.99\n",
       "y.frd", stereo, "dBFS"},
  };
  for (const auto& file : files) {
    SCOPED_TRACE(file.Name);
    const SpectrumFileReading reading = ReadSpectrumFile(file.Text, file.FileName);
    ASSERT_TRUE(reading.Read) << "line " << reading.FaultLine << ": " << reading.Fault;
    ASSERT_EQ(reading.Table.RowCount(), static_cast<int32_t>(file.Rows.size()));
    for (size_t row = 0; row < file.Rows.size(); ++row) {
      EXPECT_NEAR(reading.Table.FrequenciesHz[row], file.Rows[row].FrequencyHz, 1e-9) << row;
      EXPECT_EQ(reading.Table.Levels[row], file.Rows[row].Levels) << row;
    }
    EXPECT_EQ(reading.Table.Header.LevelScale, file.Unit);
  }
}

TEST(LevelFileTest, AFileThatHoldsNoSpectrumIsRefusedWithItsLineAndFault) {
  std::string tooLong;
  for (int32_t row = 0; row <= kMaxSpectrumFileRows; ++row)
    tooLong += std::to_string(row) + "\t0\t0\n";
  const std::string hugeField(5 * 1000 * 1000, '7');
  const std::string utf16(
      "\xFF\xFE"
      "1\0\t\0"
      "0\0",
      8);
  const struct {
    std::string Text;
    int32_t Line;
    std::string Fault;
    const char* FileName = "";
  } cases[] = {
      {"", 0, "keine Spektrumzeile in der Datei"},
      {"* Frelox 1.02\r\n\r\n* Pegel: dB\r\nFrequency\tLevel\r\n", 0,
       "keine Spektrumzeile in der Datei"},
      {"100.0\n", 1, "1 Spalte statt 2 oder 3 (Frequenz, ein oder zwei Pegel)"},
      {"100.0\t-10.0\t-20.0\t-30.0\n", 1,
       "4 Spalten statt 2 oder 3 (Frequenz, ein oder zwei Pegel)"},
      {"* Frelox\r\n100.0\t-10.00\t0\r\n200.0\t-10.00\r\n", 3,
       "2 Spalten statt 3 (Frequenz, links, rechts)"},
      {"100 -10\r200 -10 -20\r", 2, "3 Spalten statt 2 (Frequenz, Pegel)"},
      {"100 -10 0\n200 -10\n", 2, "2 Spalten statt 3 (Frequenz, Pegel, Phase)", "p.frd"},
      {"* a\r\n\r\n100\t0\t0\r\n200\t0\t-1O.00\r\n", 4, "\"-1O.00\" ist keine Zahl"},
      {"Frequenz\tPegel\nFrequenz\tPegel\n", 2, "\"Frequenz\" ist keine Zahl"},
      {"100.0\t\t-20.0\n", 1, "\"\" ist keine Zahl"},
      {"100,0;-10.5;-20,0\n", 1, "\"-10.5\" ist keine Zahl"},  // a decimal point in a csv
      {"100.0\t1e1000\t0\n", 1, "\"1e1000\" ist keine Zahl"},
      {"100.0\tinf\t0\n", 1, "\"inf\" ist keine Zahl"},
      {"-1.0\t0\t0\n", 1, "Frequenz \"-1.0\" negativ"},
      {"1e400\t0\t0\n", 1, "Frequenz \"1e400\" zu gro\xDF"},
      {"100.0\t0\t0\n100.0\t0\t0\n", 2,
       "Frequenz \"100.0\" nicht gr\xF6\xDF"
       "er als in der Zeile davor"},
      {"100,0;0;0\n99,99;0;0\n", 2,
       "Frequenz \"99,99\" nicht gr\xF6\xDF"
       "er als in der Zeile davor"},
      {"100.0\t-700.005\t0\n", 1,
       "Pegel \"-700.005\" au\xDF"
       "erhalb von -700 bis +600 dB"},
      {"100,0;0;6,00005e2\n", 1,
       "Pegel \"6,00005e2\" au\xDF"
       "erhalb von -700 bis +600 dB"},
      {"1\t0\t99999999999999999999\n", 1, "\"99999999999999999999\" ist keine Zahl"},
      {tooLong, kMaxSpectrumFileRows + 1, "mehr als 262144 Spektrumzeilen"},
      // A refusal quotes the start of the field, readable: 24 bytes at most,
      // not cut within a UTF-8 character, control characters as "?".
      {"1\t0\t" + hugeField + "x\n", 1, "\"" + hugeField.substr(0, 24) + "...\" ist keine Zahl"},
      {"1\t0\t" + std::string(23, '0') + "\xC3\xBC" + "\n", 1,
       "\"" + std::string(23, '0') + "...\" ist keine Zahl"},
      {std::string("1\t0\t\x01\0x\n", 7), 1, "\"??x\" ist keine Zahl"},
      {utf16, 0, "UTF-16-Text statt ANSI- oder UTF-8-Text"},
      {std::string("1\0\t\0", 4), 0, "UTF-16-Text statt ANSI- oder UTF-8-Text"},
  };
  for (const auto& c : cases) {
    const SpectrumFileReading reading = ReadSpectrumFile(c.Text, c.FileName);
    EXPECT_FALSE(reading.Read) << c.Text.substr(0, 40);
    EXPECT_EQ(reading.FaultLine, c.Line) << c.Text.substr(0, 40);
    EXPECT_EQ(reading.Fault, c.Fault) << c.Text.substr(0, 40);
    EXPECT_EQ(reading.Table.RowCount(), 0);
  }
  // Rounded to hundredths half away from zero, within the limits.
  const SpectrumFileReading rounded =
      ReadSpectrumFile("\xEF\xBB\xBF 5 \t-699.995\t+599.994\r\n6\t-0.0006\t0.00499e0\n");
  ASSERT_TRUE(rounded.Read) << rounded.Fault;
  EXPECT_EQ(rounded.Table.Levels, (std::vector<LevelPair>{{-70000, 59999}, {0, 0}}));
}

// Every level the program can show, it writes and reads back: the floor and
// the loudest line a transform gives (twice the coherent gain, beside DC),
// in each scale, window and extreme size, unweighted or A-weighted (whose
// curve reaches higher than C's and as low near 0 Hz), sine levels and noise
// density calibrated to the ends of the calibration's range (the density
// reaches lowest at 1024 points and highest at 262144). And the range stays
// near those levels.
TEST(LevelFileTest, TheLevelRangeHoldsEveryLevelTheProgramShows) {
  int32_t lowest = 0;
  int32_t highest = 0;
  for (int32_t window = 0; window < kWindowCount; ++window)
    for (const int32_t size : {kMinFftSize, kMaxFftSize})
      for (const int32_t weighting : {kWeightingNone, kWeightingA})
        for (const LevelChoice& choice :
             {LevelChoice{kScaleUncorrected, weighting, {}},
              LevelChoice{kScaleNoiseDensity, weighting, {}},
              LevelChoice{kScaleSine, weighting, -kMaxCalibrationHundredthsDb},
              LevelChoice{kScaleSine, weighting, kMaxCalibrationHundredthsDb},
              LevelChoice{kScaleNoiseDensity, weighting, -kMaxCalibrationHundredthsDb},
              LevelChoice{kScaleNoiseDensity, weighting, kMaxCalibrationHundredthsDb}}) {
          const LevelScale scale(choice, window, size);
          const double gain = MeasureWindowGain(WindowTable[window], size).CoherentGain;
          const int32_t loudest = static_cast<int32_t>(std::ceil(2000.0 * std::log10(2 * gain)));
          for (int32_t line = 0; line < size / 2; ++line) {
            lowest = std::min(lowest, scale.ScaledLevel(-14000, line));
            highest = std::max(highest, scale.ScaledLevel(loudest, line));
          }
        }
  EXPECT_GE(lowest, kMinFileLevelHundredthsDb);
  EXPECT_LE(highest, kMaxFileLevelHundredthsDb);
  EXPECT_LT(lowest, kMinFileLevelHundredthsDb + 10000);
  EXPECT_GT(highest, kMaxFileLevelHundredthsDb - 10000);
  LevelTable table;
  table.FrequenciesHz = {1.0, 2.0};
  table.Levels = {{lowest, highest}, {highest, lowest}};
  const SpectrumFileReading reading =
      ReadSpectrumFile(WriteSpectrumFile(table, SpectrumFileType::SpreadsheetCsv));
  ASSERT_TRUE(reading.Read) << reading.Fault;
  EXPECT_EQ(reading.Table.Levels, table.Levels);
}

}  // namespace
