#pragma once

#include <cstdint>

#include "display/PixelPoint.h"

// Where the readout box goes next to the mouse pointer: above and right of
// the pointer's hot spot, flipped to its left where it would leave the view
// on the right and below the pointer's image where it would leave the view
// at the top, then shifted into the view. The box never covers the hot spot
// or the arrow below and right of it while the view is larger than the box
// plus the gaps. Portable.
// `pointerHeightPx`: the height of the pointer's image below its hot spot
// (the system's cursor height).
PixelPoint ReadoutBoxOrigin(PixelPoint pointer, int32_t pointerHeightPx, int32_t boxWidthPx,
                            int32_t boxHeightPx, int32_t viewWidthPx, int32_t viewHeightPx);

// Gap between the pointer's hot spot and the box.
constexpr int32_t kReadoutPointerGapPx = 8;
