#pragma once

#include <windows.h>

#include <cstdint>

#include "windowing/TDC.h"

// A memory device context drawing into a 32-bit top-down DIB section whose
// pixels the tests read back exactly.
class TBitmapDC : public TDC {
 public:
  TBitmapDC(int width, int height);
  ~TBitmapDC() override;

  int Width() const { return PixelWidth; }
  int Height() const { return PixelHeight; }
  COLORREF Pixel(int x, int y) const;
  // How many pixels differ from those of `other`, a bitmap of the same size;
  // `first` receives the first of them, row by row.
  int DifferingPixels(const TBitmapDC& other, POINT* first) const;
  void Fill(COLORREF colour);
  // Copies the top-left part of a window's client area, as shown.
  void CopyWindow(HWND window);

 private:
  int PixelWidth;
  int PixelHeight;
  uint32_t* Bits = nullptr;
  HBITMAP Bitmap;
  HGDIOBJ PreviousBitmap;
};
