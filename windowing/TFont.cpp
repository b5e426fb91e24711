#include "windowing/TFont.h"

TFont::TFont(const char* face, int height, int weight, BYTE charSet)
    : TGdiObject(
          CreateFontA(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, charSet, OUT_DEFAULT_PRECIS,
                      CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face),
          "CreateFont") {}
