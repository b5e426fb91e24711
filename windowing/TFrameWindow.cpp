#include "windowing/TFrameWindow.h"

#include "windowing/TApplication.h"

const TResponseEntry TFrameWindow::Rows[] = {
    Row::Size<TFrameWindow, &TFrameWindow::EvSize>(),
    Row::Message<TFrameWindow, &TFrameWindow::EvClose>(WM_CLOSE),
    Row::Command<TFrameWindow, &TFrameWindow::CmExit>(TFrameWindow::kExitCommand),
    Row::Message<TFrameWindow, &TFrameWindow::EvQueryEndSession>(WM_QUERYENDSESSION),
    Row::Message<TFrameWindow, &TFrameWindow::EvQueryDragIcon>(WM_QUERYDRAGICON),
    Row::Message<TFrameWindow, &TFrameWindow::EvPaintIconic>(WM_PAINT),
    Row::Message<TFrameWindow, &TFrameWindow::EvDestroy>(WM_DESTROY),
    Row::PowerBroadcast<TFrameWindow, &TFrameWindow::EvPowerBroadcast>(),
};
const TResponseTable TFrameWindow::Table{&TWindow::Table, TFrameWindow::Rows};

TFrameWindow::TFrameWindow(TWindow* parent, const char* title, TWindow* client)
    : TWindow(parent, title), Client(client) {
  TAttributes& attr = Attributes();
  // Created hidden: the application shows it once its set-up is complete,
  // so that no empty frame stands behind a box the set-up shows. The system
  // chooses position and size.
  attr.Style = WS_OVERLAPPEDWINDOW | (client ? WS_CLIPCHILDREN : 0);
  attr.X = attr.Y = attr.W = attr.H = CW_USEDEFAULT;
  if (Client) Adopt(Client);
}

void TFrameWindow::SetupWindow() {
  TWindow::SetupWindow();
  FitClient();
  LoadIcons();
}

void TFrameWindow::FitClient() {
  if (!Client || !Client->GetHandle()) return;
  RECT area;
  GetClientRect(GetHandle(), &area);
  SetWindowPos(Client->GetHandle(), nullptr, 0, 0, area.right, area.bottom,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

void TFrameWindow::LoadIcons() {
  if (!IconGroup) return;
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  const LPCSTR name = MAKEINTRESOURCEA(IconGroup);
  LargeIcon = LoadIconA(instance, name);
  if (!LargeIcon) LargeIcon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
  SmallIcon =
      static_cast<HICON>(LoadImageA(instance, name, IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                    GetSystemMetrics(SM_CYSMICON), LR_SHARED));
  if (!SmallIcon) SmallIcon = LargeIcon;
  // The class carries no icon; title bar and task bar take these.
  SendMessageA(GetHandle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(LargeIcon));
  SendMessageA(GetHandle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(SmallIcon));
}

bool TFrameWindow::MayClose() {
  TApplication* app = TApplication::Current();
  if (app && app->GetMainWindow() == this) return app->CanClose();
  return CanClose();
}

void TFrameWindow::RequestClose() {
  if (MayClose()) Destroy();
}

void TFrameWindow::EvSize(UINT sizeType, SIZE) {
  // Minimised, the client area is empty: the client keeps its place, so that
  // nothing inside it lays out or rescales for an empty size.
  if (sizeType == SIZE_MINIMIZED) return;
  FitClient();
}

LRESULT TFrameWindow::EvClose() {
  RequestClose();
  return 0;
}

void TFrameWindow::CmExit() {
  RequestClose();
}

LRESULT TFrameWindow::EvQueryEndSession() {
  return MayClose() ? TRUE : FALSE;
}

LRESULT TFrameWindow::EvQueryDragIcon() {
  return reinterpret_cast<LRESULT>(
      LargeIcon ? LargeIcon : LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION)));
}

LRESULT TFrameWindow::EvPaintIconic() {
  if (!IsIconic(GetHandle()) || !LargeIcon) return EvPaint();
  PAINTSTRUCT paint;
  const HDC dc = BeginPaint(GetHandle(), &paint);
  DrawIcon(dc, 0, 0, LargeIcon);
  EndPaint(GetHandle(), &paint);
  return 0;
}

namespace {

BOOL CALLBACK SendPowerEvent(HWND child, LPARAM powerEvent) {
  SendMessageA(child, WM_POWERBROADCAST, static_cast<WPARAM>(powerEvent), 0);
  return TRUE;
}

}  // namespace

// The system tells only top-level windows that it sleeps or wakes: every
// window inside the frame hears it too.
void TFrameWindow::EvPowerBroadcast(UINT powerEvent) {
  EnumChildWindows(GetHandle(), &SendPowerEvent, static_cast<LPARAM>(powerEvent));
}

LRESULT TFrameWindow::EvDestroy() {
  TApplication* app = TApplication::Current();
  if (app && app->GetMainWindow() == this) PostQuitMessage(0);
  return 0;
}
