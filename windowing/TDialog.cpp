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

bool TDialog::DialogMessage(UINT, WPARAM, LPARAM) {
  return false;
}

// An exception of a derived dialog's code ends the dialog; Execute rethrows
// it once the system has returned.
INT_PTR CALLBACK TDialog::DialogProcedure(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrA(handle, DWLP_USER, lParam);
    reinterpret_cast<TDialog*>(lParam)->Handle = handle;
  }
  auto* dialog = reinterpret_cast<TDialog*>(GetWindowLongPtrA(handle, DWLP_USER));
  if (!dialog) return FALSE;
  try {
    switch (message) {
      case WM_INITDIALOG:
        dialog->SetupDialog();
        return TRUE;
      case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
          if (dialog->CanClose()) EndDialog(handle, IDOK);
          return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
          EndDialog(handle, IDCANCEL);
          return TRUE;
        }
        return dialog->DialogMessage(message, wParam, lParam);
      case WM_CLOSE:
        EndDialog(handle, IDCANCEL);
        return TRUE;
      default:
        return dialog->DialogMessage(message, wParam, lParam);
    }
  } catch (...) {
    ExceptionRelay::Park(std::current_exception());
    EndDialog(handle, IDCANCEL);
    return TRUE;
  }
}
