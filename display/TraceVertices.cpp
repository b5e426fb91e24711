#include "display/TraceVertices.h"

#include "display/LevelScale.h"
#include "display/TraceThinning.h"

namespace {

// Stored levels are hundredths of a decibel.
constexpr double kDbPerLevelUnit = 0.01;

double LevelDb(int32_t storedLevel) {
  return static_cast<double>(static_cast<long double>(storedLevel) * kDbPerLevelUnit);
}

}  // namespace

TraceVertices::TraceVertices() : Vertices(new PixelPoint[kMaxSpectrumLines]()) {}

int32_t TraceVertices::Build(const ViewGeometry& view, const SpectrumLevels& levels,
                             int32_t channel, bool showMaximum, const LevelScale* scale) {
  const int32_t lines = view.BinCount();
  const int32_t* columns = view.BinX();
  const auto plotted = [&](int32_t line) {
    const int32_t stored = levels[line][channel];
    return scale ? scale->PlottedLevel(stored, line) : stored;
  };
  Size = 0;
  if (!showMaximum) {
    for (int32_t i = 0; i < lines; ++i) {
      Vertices[Size++] = {columns[i], view.LevelToY(LevelDb(plotted(i)))};
    }
    return Size;
  }
  int32_t first = 0;
  while (first < lines) {
    int32_t loudest = plotted(first);
    int32_t next = first + 1;
    for (; next < lines && columns[next] == columns[first]; ++next) {
      const int32_t level = plotted(next);
      if (level > loudest) loudest = level;
    }
    Vertices[Size++] = {columns[first], view.LevelToY(LevelDb(loudest))};
    first = next;
  }
  return Size;
}

int32_t TraceVertices::ThinColumns() {
  Size = ThinColumnRuns(Vertices.get(), Size);
  return Size;
}
