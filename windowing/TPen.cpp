#include "windowing/TPen.h"

TPen::TPen(COLORREF color, int width, int style)
    : TGdiObject(CreatePen(style, width, color), "CreatePen") {}
