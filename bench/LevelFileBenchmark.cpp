// Times the spectrum files of the largest transform (131072 rows) in both
// types: the text made from the table, written to a file and read back from
// it into a table, as exporting and loading a reference do. Prints the mean,
// the fastest and the slowest of each. Portable: runs natively and under Wine.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "export/LevelFileReader.h"
#include "export/LevelFileWriter.h"

namespace {

constexpr int32_t kRows = kMaxSpectrumLines;
constexpr int kRepeats = 20;
constexpr const char* kFileName = "frelox-spectrum-bench.tmp";

LevelTable MeasuredLookingTable() {
  LevelTable table;
  table.Header = {"Frelox", "2026-12-10 12:00:00", "Line In", 2 * kRows, "Hanning",
                  "Aus",    "dB (unkorrigiert)",   {},        "",        std::nullopt};
  uint32_t state = 12345;
  for (int32_t line = 0; line < kRows; ++line) {
    table.FrequenciesHz.push_back(static_cast<double>(kSampleRateHz) * line / (2 * kRows));
    LevelPair levels;
    for (int32_t& level : levels) {
      state = state * 1664525u + 1013904223u;
      level = -14000 + static_cast<int32_t>((state >> 8) % 13000);
    }
    table.Levels.push_back(levels);
  }
  return table;
}

template <class Operation>
void Time(const char* what, const char* type, Operation&& operation) {
  double total = 0, fastest = 1e300, slowest = 0;
  for (int i = 0; i < kRepeats; ++i) {
    const auto start = std::chrono::steady_clock::now();
    operation();
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    total += ms;
    fastest = ms < fastest ? ms : fastest;
    slowest = ms > slowest ? ms : slowest;
  }
  std::printf("%-28s %-4s %10.1f %10.1f %10.1f\n", what, type, total / kRepeats, fastest, slowest);
}

}  // namespace

int main() {
  const LevelTable table = MeasuredLookingTable();
  std::printf("Spectrum files of %d rows, %d runs each\n\n", kRows, kRepeats);
  std::printf("%-28s %-4s %10s %10s %10s\n", "operation", "type", "mean [ms]", "min [ms]",
              "max [ms]");
  for (const SpectrumFileType type :
       {SpectrumFileType::TabText, SpectrumFileType::SpreadsheetCsv}) {
    const char* name = type == SpectrumFileType::TabText ? "txt" : "csv";
    std::string text;
    Time("text made", name, [&] { text = WriteSpectrumFile(table, type); });
    Time("text made and written", name, [&] {
      text = WriteSpectrumFile(table, type);
      std::ofstream(kFileName, std::ios::binary).write(text.data(), text.size());
    });
    bool read = true;
    Time("file read into a table", name, [&] {
      std::ifstream file(kFileName, std::ios::binary);
      const std::string bytes((std::istreambuf_iterator<char>(file)), {});
      read = read && ReadSpectrumFile(bytes).Read;
    });
    std::printf("%-28s %-4s %10zu bytes%s\n", "file size", name, text.size(),
                read ? "" : "  (NOT READ BACK)");
    std::remove(kFileName);
  }
  return 0;
}
