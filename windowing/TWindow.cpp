#include "windowing/TWindow.h"

#include "windowing/ExceptionRelay.h"
#include "windowing/TPaintDC.h"
#include "windowing/TXWindowing.h"

const char* const kWindowClassName = "FreloxWindow";

const TResponseEntry TWindow::Rows[] = {
    Row::Message<TWindow, &TWindow::EvPaint>(WM_PAINT),
};
const TResponseTable TWindow::Table{nullptr, TWindow::Rows};

TWindow::TWindow(TWindow* parent, const char* title) : Parent(parent), Title(title ? title : "") {
  if (Parent) Parent->AddChild(this);
}

TWindow::~TWindow() {
  // Children first, so that each child's own teardown runs while its parent's
  // window still exists.
  Children.clear();
  if (Handle) {
    SetWindowLongPtrA(Handle, GWLP_USERDATA, 0);
    DestroyWindow(Handle);
    Handle = nullptr;
  }
}

void TWindow::AddChild(TWindow* child) {
  Children.emplace_back(child);
}

void TWindow::Adopt(TWindow* child) {
  child->Parent = this;
  AddChild(child);
}

void TWindow::RegisterWindowClass() {
  static bool registered = false;
  if (registered) return;
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  // Double clicks reach the windows as such (the spectrum view answers them).
  windowClass.style = CS_DBLCLKS;
  windowClass.lpfnWndProc = &TWindow::WindowProcedure;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  windowClass.lpszClassName = kWindowClassName;  // no icon, no background brush
  if (!RegisterClassExA(&windowClass)) ThrowLastWindowsError("RegisterClassEx");
  registered = true;
}

void TWindow::Create() {
  RegisterWindowClass();
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  HMENU menu = nullptr;
  if (Attr.Style & WS_CHILD) {
    menu = reinterpret_cast<HMENU>(static_cast<INT_PTR>(Attr.MenuResource));
  } else if (Attr.MenuResource) {
    menu = LoadMenuA(instance, MAKEINTRESOURCEA(Attr.MenuResource));
    if (!menu) ThrowLastWindowsError("LoadMenu");
  }
  const HWND parent = Attr.MessageOnly ? HWND_MESSAGE : Parent ? Parent->Handle : nullptr;
  const HWND created =
      CreateWindowExA(Attr.ExStyle, kWindowClassName, Title.c_str(), Attr.Style, Attr.X, Attr.Y,
                      Attr.W, Attr.H, parent, menu, instance, this);
  ExceptionRelay::RethrowPending();
  if (!created) ThrowLastWindowsError("CreateWindowEx");
  SetupWindow();
}

void TWindow::Destroy() {
  if (Handle) DestroyWindow(Handle);
}

void TWindow::SetupWindow() {
  for (auto& child : Children) child->Create();
}

bool TWindow::CanClose() {
  for (auto& child : Children)
    if (child->Handle && !child->CanClose()) return false;
  return true;
}

void TWindow::StopBeforeExceptionBox() {
  for (auto& child : Children)
    if (child->Handle) child->StopBeforeExceptionBox();
}

void TWindow::Paint(TDC&, bool, const RECT&) {}

LRESULT TWindow::EvPaint() {
  TPaintDC dc(Handle);
  Paint(dc, dc.EraseRequested(), dc.UpdateRect());
  return 0;
}

LRESULT TWindow::DefaultProcessing(UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(Handle, message, wParam, lParam);
}

LRESULT TWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (const TResponseEntry* row = ResponseTable().Find(message, wParam))
    return row->Dispatch(*this, wParam, lParam);
  return DefaultProcessing(message, wParam, lParam);
}

LRESULT CALLBACK TWindow::WindowProcedure(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* window = static_cast<TWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    window->Handle = handle;
    SetWindowLongPtrA(handle, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(window));
  }
  auto* window = reinterpret_cast<TWindow*>(GetWindowLongPtrA(handle, GWLP_USERDATA));
  if (!window) return DefWindowProcA(handle, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrA(handle, GWLP_USERDATA, 0);
    window->Handle = nullptr;
    return DefWindowProcA(handle, message, wParam, lParam);
  }
  try {
    return window->HandleMessage(message, wParam, lParam);
  } catch (...) {
    ExceptionRelay::Park(std::current_exception());
    return DefWindowProcA(handle, message, wParam, lParam);
  }
}
