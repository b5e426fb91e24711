#pragma once

#include <windows.h>

// A GDI object this program created; deleted when the wrapper goes. Keeps a
// count of the live objects, since the system's own count is not available
// everywhere. GUI thread only. Select it only through a TDC, which puts the
// previous object back before the wrapper is destroyed.
class TGdiObject {
 public:
  TGdiObject(const TGdiObject&) = delete;
  TGdiObject& operator=(const TGdiObject&) = delete;
  ~TGdiObject();

  HGDIOBJ GetHandle() const { return Handle; }
  static int LiveCount() { return Live; }

 protected:
  // Takes ownership of a freshly created object; throws TXWindowing for null.
  TGdiObject(HGDIOBJ handle, const char* operation);

 private:
  HGDIOBJ Handle;
  static int Live;
};
