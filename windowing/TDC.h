#pragma once

#include <windows.h>

class TGdiObject;

// A device context. Objects selected through it are put back, the pen and the
// font the context held before, when RestoreObjects runs or the wrapper goes,
// so a drawing leaves the context as it found it.
class TDC {
 public:
  TDC(const TDC&) = delete;
  TDC& operator=(const TDC&) = delete;
  virtual ~TDC() { RestoreObjects(); }

  HDC GetHandle() const { return Handle; }

  void SelectPen(const TGdiObject& pen);
  void SelectFont(const TGdiObject& font);
  void RestoreObjects();

 protected:
  explicit TDC(HDC handle = nullptr) : Handle(handle) {}
  void Attach(HDC handle) { Handle = handle; }

 private:
  HDC Handle;
  HGDIOBJ PreviousPen = nullptr;
  HGDIOBJ PreviousFont = nullptr;
};
