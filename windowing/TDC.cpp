#include "windowing/TDC.h"

#include "windowing/TGdiObject.h"

void TDC::SelectPen(const TGdiObject& pen) {
  const HGDIOBJ previous = SelectObject(Handle, pen.GetHandle());
  if (!PreviousPen) PreviousPen = previous;
}

void TDC::SelectFont(const TGdiObject& font) {
  const HGDIOBJ previous = SelectObject(Handle, font.GetHandle());
  if (!PreviousFont) PreviousFont = previous;
}

void TDC::RestoreObjects() {
  if (PreviousPen) SelectObject(Handle, PreviousPen);
  if (PreviousFont) SelectObject(Handle, PreviousFont);
  PreviousPen = PreviousFont = nullptr;
}
