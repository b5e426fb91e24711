#include "export/PictureBitmap.h"

#include <stdexcept>

namespace {

constexpr WORD kBitsPerPixel = 24;
constexpr int32_t kBytesPerPixel = 3;
constexpr int32_t kRowAlignmentBytes = 4;

// Null when the system has no room for it.
HBITMAP CreateTopDownDib(int32_t width, int32_t height, uint8_t** bits) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // first row at the top
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = kBitsPerPixel;
  info.bmiHeader.biCompression = BI_RGB;
  void* memory = nullptr;
  const HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &memory, nullptr, 0);
  *bits = static_cast<uint8_t*>(memory);
  return bitmap;
}

}  // namespace

PictureBitmap::PictureBitmap(int32_t width, int32_t height)
    : TDC(CreateCompatibleDC(nullptr)),
      PixelWidth(width),
      PixelHeight(height),
      RowBytes((width * kBytesPerPixel + kRowAlignmentBytes - 1) / kRowAlignmentBytes *
               kRowAlignmentBytes),
      Bitmap(CreateTopDownDib(width, height, &Bits)) {
  if (!GetHandle() || !Bitmap) {
    if (Bitmap) DeleteObject(Bitmap);
    if (GetHandle()) DeleteDC(GetHandle());
    throw std::runtime_error("no room for the picture's bitmap");
  }
  PreviousBitmap = SelectObject(GetHandle(), Bitmap);
}

PictureBitmap::~PictureBitmap() {
  RestoreObjects();
  SelectObject(GetHandle(), PreviousBitmap);
  DeleteObject(Bitmap);
  DeleteDC(GetHandle());
}

const uint8_t* PictureBitmap::Rows() const {
  GdiFlush();
  return Bits;
}
