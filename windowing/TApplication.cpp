#include "windowing/TApplication.h"

#include <exception>

#include "windowing/ExceptionRelay.h"
#include "windowing/FpuPrecision.h"
#include "windowing/TFrameWindow.h"
#include "windowing/TXWindowing.h"

namespace {

constexpr const char* kUnhandledCaption = "Unhandled Exception";
constexpr const char* kUnknownException = "Unknown Exception";

}  // namespace

TApplication* TApplication::CurrentApplication = nullptr;
int TApplication::StartupShowCommand = SW_SHOWDEFAULT;

TApplication::TApplication(const char*) {
  CurrentApplication = this;
}

TApplication::~TApplication() {
  MainWindow.reset();
  if (CurrentApplication == this) CurrentApplication = nullptr;
}

void TApplication::DestroyMainWindow() {
  MainWindow.reset();
  // A handler run during the teardown, e.g. by the loop of a box that a
  // window's teardown showed, parked what it raised.
  ExceptionRelay::RethrowPending();
}

void TApplication::RecordStartup(HINSTANCE, const char*, int showCommand) {
  StartupShowCommand = showCommand;
}

void TApplication::SetMainWindow(TFrameWindow* frame) {
  MainWindow.reset(frame);
}

bool TApplication::CanClose() {
  return !MainWindow || MainWindow->CanClose();
}

void TApplication::InitInstance() {
  InitMainWindow();
  if (!MainWindow) throw TXWindowing("Error[application]: no main window");
  MainWindow->Create();
  MainWindow->Show(StartupShowCommand);
  UpdateWindow(MainWindow->GetHandle());
}

int TApplication::Run() {
  // The display maps with 64-bit significands on this thread.
  EnsureExtendedPrecision();
  try {
    if (!MainWindow) {
      InitApplication();
      InitInstance();
    }
    return MessageLoop();
  } catch (const std::exception& error) {
    return Fail(error.what());
  } catch (...) {
    return Fail(nullptr);
  }
}

int TApplication::MessageLoop() {
  MSG message;
  for (;;) {
    const BOOL got = GetMessageA(&message, nullptr, 0, 0);
    if (got == 0) return static_cast<int>(message.wParam);
    if (got == -1) ThrowLastWindowsError("GetMessage");
    if (!PreProcessMessage(message)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    ExceptionRelay::RethrowPending();
  }
}

int TApplication::Fail(const char* text) {
  // The box's own message loop ends at a quit message: none may be pending
  // or posted later while it is open.
  if (MainWindow && MainWindow->GetHandle()) MainWindow->StopBeforeExceptionBox();
  MSG quit;
  while (PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
  ShowUnhandledException(text && *text ? text : kUnknownException);
  return kExceptionExitCode;
}

void TApplication::ShowUnhandledException(const char* text) {
  ShowExceptionBox(text);
}

void TApplication::ShowExceptionBox(const char* text) {
  MessageBoxExA(nullptr, text && *text ? text : kUnknownException, kUnhandledCaption,
                MB_ICONHAND | MB_OK, 0);
}
