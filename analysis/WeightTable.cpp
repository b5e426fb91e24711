#include "analysis/WeightTable.h"

#include "analysis/LevelTypes.h"

WeightTable::WeightTable() : Values(new double[kMaxFftSize]) {}

const double* WeightTable::Weights(WindowFunction window, int32_t n) {
  if (window != Window || n != Size) {
    for (int32_t j = 0; j < n; ++j) Values[j] = window(j, n);
    Window = window;
    Size = n;
  }
  return Values.get();
}
