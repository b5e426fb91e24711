#pragma once

#include <windows.h>

#include <cstdint>

#include "windowing/TDC.h"

// A picture to draw into and hand on: a memory device context over a 24-bit
// top-down DIB section (rows of blue, green, red bytes, each row padded to a
// multiple of four bytes). GUI thread only.
class PictureBitmap : public TDC {
 public:
  // Throws std::runtime_error when the system has no room for it.
  PictureBitmap(int32_t width, int32_t height);
  ~PictureBitmap() override;

  int32_t Width() const { return PixelWidth; }
  int32_t Height() const { return PixelHeight; }
  // Bytes from one row's start to the next one's.
  int32_t Stride() const { return RowBytes; }
  // The rows, top first; GDI's drawing is flushed first.
  const uint8_t* Rows() const;

 private:
  int32_t PixelWidth;
  int32_t PixelHeight;
  int32_t RowBytes;
  uint8_t* Bits = nullptr;
  HBITMAP Bitmap;
  HGDIOBJ PreviousBitmap = nullptr;
};
