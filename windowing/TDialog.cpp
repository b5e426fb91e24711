#include "windowing/TDialog.h"

#include "windowing/ExceptionRelay.h"
#include "windowing/TWindow.h"
#include "windowing/TXWindowing.h"

TDialog::TDialog(TWindow* parent, int resourceId) : Parent(parent), ResourceId(resourceId) {}

INT_PTR TDialog::Execute() {
  const HWND owner = Parent ? Parent->GetHandle() : nullptr;
  SetLastError(0);
  const INT_PTR result =
      DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(ResourceId), owner,
                      &TDialog::DialogProcedure, reinterpret_cast<LPARAM>(this));
  Handle = nullptr;
  ExceptionRelay::RethrowPending();
  if (result == -1) ThrowLastWindowsError("DialogBoxParam");
  return result;
}

INT_PTR CALLBACK TDialog::DialogProcedure(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      reinterpret_cast<TDialog*>(lParam)->Handle = handle;
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        EndDialog(handle, LOWORD(wParam));
        return TRUE;
      }
      return FALSE;
    case WM_CLOSE:
      EndDialog(handle, IDCANCEL);
      return TRUE;
    default:
      return FALSE;
  }
}
