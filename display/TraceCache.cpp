#include "display/TraceCache.h"

const TraceVertices& TraceCache::Trace(const ViewGeometry& view, const SpectrumLevels& levels,
                                       uint64_t levelsNumber, int32_t channel, bool showMaximum,
                                       int32_t plotShiftHundredthsDb) {
  const Source wanted{view.LayoutNumber(), levelsNumber, channel, showMaximum,
                      plotShiftHundredthsDb};
  if (wanted.Layout != 0 && wanted.LevelsNumber != 0 && wanted == Built) return Vertices;
  Vertices.Build(view, levels, channel, showMaximum, plotShiftHundredthsDb);
  // Every line a vertex makes a large transform's drawing cost one line per
  // spectral line; the thinned polyline draws the same pixels with at most
  // four per column. With the maximum there is one per column already.
  if (!showMaximum) Vertices.ThinColumns();
  Built = wanted;
  ++Builds;
  return Vertices;
}
