#include "export/PictureTransfer.h"

#include <objbase.h>
#include <wincodec.h>

#include <cstring>

#include "export/PictureBitmap.h"
#include "export/WholeFile.h"

namespace {

constexpr WORD kBitsPerPixel = 24;

// Releases the interface it holds when it goes.
template <class Interface>
class Held {
 public:
  Held() = default;
  ~Held() {
    if (Pointer) Pointer->Release();
  }
  Held(const Held&) = delete;
  Held& operator=(const Held&) = delete;

  Interface* operator->() const { return Pointer; }
  Interface* Get() const { return Pointer; }
  Interface** Out() { return &Pointer; }

 private:
  Interface* Pointer = nullptr;
};

// COM for the calling thread while it lives, if it was not yet there.
class ComApartment {
 public:
  ComApartment() : Result(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~ComApartment() {
    if (SUCCEEDED(Result)) CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

 private:
  HRESULT Result;
};

bool Failed(HRESULT result, std::wstring& why) {
  if (SUCCEEDED(result)) return false;
  why = SystemErrorText(static_cast<DWORD>(result));
  return true;
}

// The stream's bytes from its start to its end.
bool StreamBytes(IStream* stream, std::string& bytes, std::wstring& why) {
  ULARGE_INTEGER end{};
  HGLOBAL memory = nullptr;
  if (Failed(stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_END, &end), why) ||
      Failed(GetHGlobalFromStream(stream, &memory), why))
    return false;
  const void* data = GlobalLock(memory);
  if (!data) {
    why = SystemErrorText(GetLastError());
    return false;
  }
  bytes.assign(static_cast<const char*>(data), static_cast<size_t>(end.QuadPart));
  GlobalUnlock(memory);
  return true;
}

}  // namespace

bool CopyPictureToClipboard(HWND owner, const PictureBitmap& picture, std::wstring& why) {
  const size_t imageBytes = static_cast<size_t>(picture.Stride()) * picture.Height();
  const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, sizeof(BITMAPINFOHEADER) + imageBytes);
  auto* header = memory ? static_cast<BITMAPINFOHEADER*>(GlobalLock(memory)) : nullptr;
  if (!header) {
    why = SystemErrorText(GetLastError());
    if (memory) GlobalFree(memory);
    return false;
  }
  *header = {};
  header->biSize = sizeof *header;
  header->biWidth = picture.Width();
  header->biHeight = picture.Height();  // bottom-up, as every program reads it
  header->biPlanes = 1;
  header->biBitCount = kBitsPerPixel;
  header->biCompression = BI_RGB;
  header->biSizeImage = static_cast<DWORD>(imageBytes);
  uint8_t* rows = reinterpret_cast<uint8_t*>(header + 1);
  const uint8_t* topDown = picture.Rows();
  for (int32_t y = 0; y < picture.Height(); ++y)
    std::memcpy(rows + static_cast<size_t>(picture.Height() - 1 - y) * picture.Stride(),
                topDown + static_cast<size_t>(y) * picture.Stride(), picture.Stride());
  GlobalUnlock(memory);

  if (!OpenClipboard(owner)) {
    why = SystemErrorText(GetLastError());
    GlobalFree(memory);
    return false;
  }
  EmptyClipboard();
  // The clipboard owns the memory once it has taken it.
  const bool taken = SetClipboardData(CF_DIB, memory) != nullptr;
  if (!taken) {
    why = SystemErrorText(GetLastError());
    GlobalFree(memory);
  }
  CloseClipboard();
  return taken;
}

bool EncodePng(const PictureBitmap& picture, std::string& png, std::wstring& why) {
  const ComApartment apartment;
  Held<IWICImagingFactory> factory;
  Held<IStream> stream;
  Held<IWICBitmapEncoder> encoder;
  Held<IWICBitmapFrameEncode> frame;
  Held<IPropertyBag2> options;
  if (Failed(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                              IID_IWICImagingFactory, reinterpret_cast<void**>(factory.Out())),
             why) ||
      Failed(CreateStreamOnHGlobal(nullptr, TRUE, stream.Out()), why) ||
      Failed(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.Out()), why) ||
      Failed(encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache), why) ||
      Failed(encoder->CreateNewFrame(frame.Out(), options.Out()), why) ||
      Failed(frame->Initialize(options.Get()), why) ||
      Failed(frame->SetSize(picture.Width(), picture.Height()), why))
    return false;
  WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
  if (Failed(frame->SetPixelFormat(&format), why)) return false;
  if (format != GUID_WICPixelFormat24bppBGR) {
    why = SystemErrorText(static_cast<DWORD>(WINCODEC_ERR_UNSUPPORTEDPIXELFORMAT));
    return false;
  }
  const UINT imageBytes = static_cast<UINT>(picture.Stride()) * picture.Height();
  return !Failed(frame->WritePixels(picture.Height(), picture.Stride(), imageBytes,
                                    const_cast<BYTE*>(picture.Rows())),
                 why) &&
         !Failed(frame->Commit(), why) && !Failed(encoder->Commit(), why) &&
         StreamBytes(stream.Get(), png, why);
}
