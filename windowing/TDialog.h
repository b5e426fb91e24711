#pragma once

#include <windows.h>

class TWindow;

// A modal dialog built from a dialog resource of the program's module. OK,
// Cancel (also the Escape key) and the close box end it; a derived dialog
// may keep it open on OK. While it runs, its modal loop dispatches the
// messages of every other window of the thread.
class TDialog {
 public:
  TDialog(TWindow* parent, int resourceId);
  virtual ~TDialog() = default;
  TDialog(const TDialog&) = delete;
  TDialog& operator=(const TDialog&) = delete;

  // Runs the dialog until it ends; returns the ending command. Throws
  // TXWindowing when the dialog cannot be created.
  INT_PTR Execute();
  HWND GetHandle() const { return Handle; }

 protected:
  // The dialog's window and controls exist and it is not shown yet.
  virtual void SetupDialog() {}
  // OK was chosen: true ends the dialog with IDOK, false keeps it open.
  virtual bool CanClose() { return true; }
  // Any other message of the dialog; true when it was handled.
  virtual bool DialogMessage(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  static INT_PTR CALLBACK DialogProcedure(HWND handle, UINT message, WPARAM wParam, LPARAM lParam);

  TWindow* Parent;
  int ResourceId;
  HWND Handle = nullptr;
};
