#pragma once

#include <cstdint>
#include <memory>

#include "analysis/LevelTypes.h"
#include "display/PixelPoint.h"
#include "display/ViewGeometry.h"

// The polyline of one channel's trace in view pixels. The first vertex is
// where the pen is put down; a line is drawn to each further one.
// Holds room for one vertex per spectral line, allocated once.
class TraceVertices {
 public:
  // Room for `capacity` vertices: by default one per line of the largest transform.
  explicit TraceVertices(int32_t capacity = kMaxSpectrumLines);

  // Builds the vertices of `channel` (0 left, 1 right) for the lines of
  // `levels` that the view has placed (FirstBin() to EndBin()). With showMaximum, all lines that
  // fall on one column give one vertex at their largest level; otherwise every line is a vertex.
  // Each line is drawn `plotShiftHundredthsDb` lower than its level (the scale's axis shift).
  // Returns the vertex count.
  int32_t Build(const ViewGeometry& view, const SpectrumLevels& levels, int32_t channel,
                bool showMaximum, int32_t plotShiftHundredthsDb = 0);
  // The same for `lines` lines of levels of their own, on the given columns
  // (non-decreasing): a spectrum kept at another size, whose levels are
  // already as shown; each is drawn `plotShiftHundredthsDb` lower (the
  // scale's axis shift). Lines beyond the capacity are left out.
  int32_t BuildFrom(const ViewGeometry& view, const int32_t* columns, const LevelPair* levels,
                    int32_t lines, int32_t channel, bool showMaximum,
                    int32_t plotShiftHundredthsDb = 0);

  // Shortens the polyline built last to at most four vertices per column
  // without changing a pixel of its drawing (see ThinColumnRuns). Returns the
  // vertex count.
  int32_t ThinColumns();

  int32_t Count() const { return Size; }
  const PixelPoint* Points() const { return Vertices.get(); }

 private:
  // Builds from `lines` lines on `columns`, the level to plot of line i
  // being plotted(i).
  template <typename PlottedLevel>
  int32_t BuildPlotted(const ViewGeometry& view, const int32_t* columns, int32_t lines,
                       bool showMaximum, PlottedLevel plotted);
  std::unique_ptr<PixelPoint[]> Vertices;
  int32_t Capacity;
  int32_t Size = 0;
};
