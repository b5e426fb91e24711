#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <string>

#include "export/HeaderTexts.h"
#include "export/LevelFileReader.h"
#include "export/LevelFileWriter.h"

namespace {

constexpr int32_t kLargeRows = 131072;
// Frequencies are written to four decimals: read back, they lie within half
// of the last one, and the double read for a number below 22050 Hz within
// 4e-12 Hz of that.
constexpr double kFrequencyToleranceHz = 0.00005 + 1e-11;

LevelTable SmallTable() {
  LevelTable table;
  table.Header = {"Frelox 1.02",      DateTimeText(2026, 12, 10, 14, 3, 22),
                  "Mic & Line (USB)", 2048,
                  WindowName(2),      AveragingText(12, 16),
                  "dB (unkorrigiert)"};
  table.FrequenciesHz = {0.0, 21.533203125, 1234.5};
  table.Levels = {{-14000, -5}, {-1270, 5}, {-40000, 20000}};
  return table;
}

// The lines of a 262144-point transform, every level from -400 to +200 dB
// met somewhere in either channel.
LevelTable LargeTable() {
  LevelTable table;
  table.Header.FftSize = 2 * kLargeRows;
  uint32_t state = 7;
  for (int32_t line = 0; line < kLargeRows; ++line) {
    table.FrequenciesHz.push_back(44100.0 * line / (2 * kLargeRows));
    LevelPair levels;
    for (int32_t& level : levels) {
      state = state * 1664525u + 1013904223u;
      level = kMinFileLevelHundredthsDb + static_cast<int32_t>((state >> 8) % 60001);
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
      "* Mittelung: 16 Messungen (exponentiell), 12 gemittelt\r\n* Pegel: dB (unkorrigiert)\r\n";
  EXPECT_EQ(
      WriteSpectrumFile(SmallTable(), SpectrumFileType::TabText),
      header +
          "* Frequenz [Hz]\tLinks [dB]\tRechts [dB]\r\n"
          "0.0000\t-140.00\t-0.05\r\n21.5332\t-12.70\t0.05\r\n1234.5000\t-400.00\t200.00\r\n");
  EXPECT_EQ(WriteSpectrumFile(SmallTable(), SpectrumFileType::SpreadsheetCsv),
            header +
                "* Frequenz [Hz];Links [dB];Rechts [dB]\r\n"
                "0,0000;-140,00;-0,05\r\n21,5332;-12,70;0,05\r\n1234,5000;-400,00;200,00\r\n");
  EXPECT_EQ(AveragingText(0, 0), "Aus");
  EXPECT_EQ(AveragingText(37, -1), "Fortlaufend, 37 gemittelt");
}

// Written, then read: the same table, header and all, in either type; in a
// locale with a decimal comma the bytes written are the same and read the same.
TEST(LevelFileTest, WrittenFilesReadBackAsTheTableTheyWereWrittenFrom) {
  const struct {
    const char* Name;
    LevelTable Table;
  } tables[] = {{"small", SmallTable()}, {"131072 rows", LargeTable()}};
  const bool commaLocale = UseCommaLocale();
  std::setlocale(LC_ALL, "C");
  for (const auto& [name, table] : tables) {
    for (const SpectrumFileType type :
         {SpectrumFileType::TabText, SpectrumFileType::SpreadsheetCsv}) {
      SCOPED_TRACE(std::string(name) + (type == SpectrumFileType::TabText ? " txt" : " csv"));
      const std::string bytes = WriteSpectrumFile(table, type);
      const SpectrumFileReading reading = ReadSpectrumFile(bytes);
      ASSERT_TRUE(reading.Read) << "line " << reading.FaultLine << ": " << reading.Fault;
      EXPECT_EQ(reading.Table.Header, table.Header);
      ASSERT_EQ(reading.Table.RowCount(), table.RowCount());
      EXPECT_EQ(reading.Table.Levels, table.Levels);
      for (int32_t row = 0; row < table.RowCount(); ++row)
        ASSERT_NEAR(reading.Table.FrequenciesHz[row], table.FrequenciesHz[row],
                    kFrequencyToleranceHz)
            << "row " << row;
      if (!commaLocale) continue;
      UseCommaLocale();
      EXPECT_EQ(WriteSpectrumFile(table, type), bytes);
      EXPECT_EQ(ReadSpectrumFile(bytes).Table.Levels, table.Levels);
      std::setlocale(LC_ALL, "C");
    }
  }
  // Under Wine the C library always has one; natively it may be missing.
  if (!commaLocale)
    std::printf("[   NOTE   ] no locale with a decimal comma: not compared in one\n");
}

TEST(LevelFileTest, AFileThatHoldsNoSpectrumIsRefusedWithItsLineAndFault) {
  std::string tooLong;
  for (int32_t row = 0; row <= kMaxSpectrumFileRows; ++row)
    tooLong += std::to_string(row) + "\t0\t0\n";
  const struct {
    std::string Text;
    int32_t Line;
    std::string Fault;
  } cases[] = {
      {"", 0, "keine Spektrumzeile in der Datei"},
      {"* Frelox 1.02\r\n\r\n* Pegel: dB\r\n", 0, "keine Spektrumzeile in der Datei"},
      {"* Frelox\r\n100.0\t-10.00\r\n", 2, "2 Spalten statt 3 (Frequenz, links, rechts)"},
      {"100.0\t-10.0\t-20.0\t-30.0\n", 1, "4 Spalten statt 3 (Frequenz, links, rechts)"},
      {"100.0 -10.0 -20.0\n", 1, "1 Spalte statt 3 (Frequenz, links, rechts)"},
      {"* a\r\n\r\n100\t0\t0\r\n200\t0\t-1O.00\r\n", 4, "\"-1O.00\" ist keine Zahl"},
      {"100.0\t\t-20.0\n", 1, "\"\" ist keine Zahl"},
      {"100,0;-10.5;-20,0\n", 1, "\"-10.5\" ist keine Zahl"},  // a decimal point in a csv
      {"100.0\t1e3\t0\n", 1, "\"1e3\" ist keine Zahl"},
      {"-1.0\t0\t0\n", 1, "Frequenz \"-1.0\" negativ"},
      {"100.0\t0\t0\n100.0\t0\t0\n", 2,
       "Frequenz \"100.0\" nicht gr\xF6\xDF"
       "er als in der Zeile davor"},
      {"100,0;0;0\n99,99;0;0\n", 2,
       "Frequenz \"99,99\" nicht gr\xF6\xDF"
       "er als in der Zeile davor"},
      {"100.0\t-400.01\t0\n", 1,
       "Pegel \"-400.01\" au\xDF"
       "erhalb von -400 bis +200 dB"},
      {"100,0;0;200,005\n", 1,
       "Pegel \"200,005\" au\xDF"
       "erhalb von -400 bis +200 dB"},
      {"1\t0\t99999999999999999999\n", 1, "\"99999999999999999999\" ist keine Zahl"},
      {tooLong, kMaxSpectrumFileRows + 1, "mehr als 262144 Spektrumzeilen"},
  };
  for (const auto& c : cases) {
    const SpectrumFileReading reading = ReadSpectrumFile(c.Text);
    EXPECT_FALSE(reading.Read) << c.Text.substr(0, 40);
    EXPECT_EQ(reading.FaultLine, c.Line) << c.Text.substr(0, 40);
    EXPECT_EQ(reading.Fault, c.Fault) << c.Text.substr(0, 40);
    EXPECT_EQ(reading.Table.RowCount(), 0);
  }
  // Rounded to hundredths half away from zero, within the limits.
  const SpectrumFileReading rounded = ReadSpectrumFile("\xEF\xBB\xBF 5 \t-399.995\t+199.994\r\n");
  ASSERT_TRUE(rounded.Read) << rounded.Fault;
  EXPECT_EQ(rounded.Table.Levels[0], (LevelPair{-40000, 19999}));
}

}  // namespace
