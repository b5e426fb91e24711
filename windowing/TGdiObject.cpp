#include "windowing/TGdiObject.h"

#include "windowing/TXWindowing.h"

int TGdiObject::Live = 0;

TGdiObject::TGdiObject(HGDIOBJ handle, const char* operation) : Handle(handle) {
  if (!Handle) ThrowLastWindowsError(operation);
  ++Live;
}

TGdiObject::~TGdiObject() {
  DeleteObject(Handle);
  --Live;
}
