#include "display/TraceVertices.h"

#include <algorithm>

#include "display/TraceThinning.h"

namespace {

// Stored levels are hundredths of a decibel.
constexpr double kDbPerLevelUnit = 0.01;

double LevelDb(int32_t storedLevel) {
  return static_cast<double>(static_cast<long double>(storedLevel) * kDbPerLevelUnit);
}

}  // namespace

TraceVertices::TraceVertices(int32_t capacity)
    : Vertices(new PixelPoint[capacity]()), Capacity(capacity) {}

int32_t TraceVertices::Build(const ViewGeometry& view, const SpectrumLevels& levels,
                             int32_t channel, bool showMaximum) {
  return BuildFrom(view, view.BinX(), levels.data(), view.BinCount(), channel, showMaximum);
}

int32_t TraceVertices::BuildFrom(const ViewGeometry& view, const int32_t* columns,
                                 const LevelPair* levels, int32_t lines, int32_t channel,
                                 bool showMaximum) {
  lines = std::min(lines, Capacity);
  Size = 0;
  if (!showMaximum) {
    for (int32_t i = 0; i < lines; ++i) {
      Vertices[Size++] = {columns[i], view.LevelToY(LevelDb(levels[i][channel]))};
    }
    return Size;
  }
  int32_t first = 0;
  while (first < lines) {
    int32_t loudest = levels[first][channel];
    int32_t next = first + 1;
    for (; next < lines && columns[next] == columns[first]; ++next) {
      if (levels[next][channel] > loudest) loudest = levels[next][channel];
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
