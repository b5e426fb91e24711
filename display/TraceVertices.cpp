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
                             int32_t channel, bool showMaximum, int32_t plotShiftHundredthsDb) {
  const int32_t first = view.FirstBin();
  return BuildFrom(view, view.BinX() + first, levels.data() + first, view.EndBin() - first, channel,
                   showMaximum, plotShiftHundredthsDb);
}

int32_t TraceVertices::BuildFrom(const ViewGeometry& view, const int32_t* columns,
                                 const LevelPair* levels, int32_t lines, int32_t channel,
                                 bool showMaximum, int32_t plotShiftHundredthsDb) {
  return BuildPlotted(view, columns, std::min(lines, Capacity), showMaximum,
                      [&](int32_t line) { return levels[line][channel] - plotShiftHundredthsDb; });
}

template <typename PlottedLevel>
int32_t TraceVertices::BuildPlotted(const ViewGeometry& view, const int32_t* columns, int32_t lines,
                                    bool showMaximum, PlottedLevel plotted) {
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
