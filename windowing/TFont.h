#pragma once

#include "windowing/TGdiObject.h"

// A font of the given face and character cell height in pixels, weight and
// character set; everything else at the system's defaults.
class TFont : public TGdiObject {
 public:
  TFont(const char* face, int height, int weight = FW_NORMAL, BYTE charSet = DEFAULT_CHARSET);
};
