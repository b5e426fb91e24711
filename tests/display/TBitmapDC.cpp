#include "tests/display/TBitmapDC.h"

#include <stdexcept>

namespace {

constexpr WORD kBitsPerPixel = 32;

HBITMAP CreateTopDownDib(int width, int height, uint32_t** bits) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // first row at the top
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = kBitsPerPixel;
  info.bmiHeader.biCompression = BI_RGB;
  void* memory = nullptr;
  const HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &memory, nullptr, 0);
  if (!bitmap) throw std::runtime_error("CreateDIBSection failed");
  *bits = static_cast<uint32_t*>(memory);
  return bitmap;
}

}  // namespace

TBitmapDC::TBitmapDC(int width, int height)
    : TDC(CreateCompatibleDC(nullptr)),
      PixelWidth(width),
      PixelHeight(height),
      Bitmap(CreateTopDownDib(width, height, &Bits)),
      PreviousBitmap(SelectObject(GetHandle(), Bitmap)) {}

TBitmapDC::~TBitmapDC() {
  RestoreObjects();
  SelectObject(GetHandle(), PreviousBitmap);
  DeleteObject(Bitmap);
  DeleteDC(GetHandle());
}

COLORREF TBitmapDC::Pixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= PixelWidth || y >= PixelHeight)
    throw std::out_of_range("pixel outside the bitmap");
  GdiFlush();
  const uint32_t value = Bits[static_cast<size_t>(y) * PixelWidth + x];  // 0x00RRGGBB
  return RGB((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF);
}

int TBitmapDC::DifferingPixels(const TBitmapDC& other, POINT* first) const {
  if (other.PixelWidth != PixelWidth || other.PixelHeight != PixelHeight)
    throw std::invalid_argument("bitmaps of different sizes");
  GdiFlush();
  int count = 0;
  for (int y = 0; y < PixelHeight; ++y) {
    for (int x = 0; x < PixelWidth; ++x) {
      const size_t index = static_cast<size_t>(y) * PixelWidth + x;
      if (Bits[index] == other.Bits[index]) continue;
      if (count++ == 0) *first = {x, y};
    }
  }
  return count;
}

void TBitmapDC::Fill(COLORREF colour) {
  const HBRUSH brush = CreateSolidBrush(colour);
  const RECT all{0, 0, PixelWidth, PixelHeight};
  FillRect(GetHandle(), &all, brush);
  DeleteObject(brush);
}

void TBitmapDC::CopyWindow(HWND window) {
  const HDC source = GetDC(window);
  BitBlt(GetHandle(), 0, 0, PixelWidth, PixelHeight, source, 0, 0, SRCCOPY);
  ReleaseDC(window, source);
}
