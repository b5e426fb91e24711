#pragma once

#include "windowing/TGdiObject.h"

// A cosmetic pen of one colour.
class TPen : public TGdiObject {
 public:
  explicit TPen(COLORREF color, int width = 1, int style = PS_SOLID);
};
