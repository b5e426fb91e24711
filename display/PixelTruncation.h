#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

// Converts an extended-precision coordinate to a pixel by rounding toward
// zero. Values beyond the 32-bit range, and the NaN of a logarithm of a
// non-positive frequency, are pinned to the nearest limit (NaN to the lowest)
// instead of overflowing the conversion: such points lie far off the window
// and are clipped there.
inline int32_t TruncateToPixel(long double value) {
  constexpr long double kLowest = std::numeric_limits<int32_t>::min();
  constexpr long double kHighest = std::numeric_limits<int32_t>::max();
  if (std::isnan(value) || value <= kLowest) return std::numeric_limits<int32_t>::min();
  if (value >= kHighest) return std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(value);
}
