#pragma once

#include <windows.h>

#include <memory>

class TFrameWindow;

// The application object: builds the main window, runs the message loop and
// answers the close question by asking the main window. An exception of the
// windowing or thread layer that escapes the run is shown in the
// "Unhandled Exception" box and ends the run with -1; the main window first
// stops whatever would end that box early. GUI thread only.
class TApplication {
 public:
  static constexpr int kExceptionExitCode = -1;

  explicit TApplication(const char* name = nullptr);
  // Destroys the main window (if DestroyMainWindow has not) and with it every
  // window; throws nothing.
  virtual ~TApplication();
  TApplication(const TApplication&) = delete;
  TApplication& operator=(const TApplication&) = delete;

  // Builds and shows the main window unless it exists, then runs the message
  // loop. Returns the quit message's code, or -1 after an exception.
  int Run();

  // Destroys the main window and with it every window, then throws what a
  // message handler raised meanwhile. The program calls it after the run,
  // so that such an exception reaches the entry point.
  void DestroyMainWindow();

  // Whether the application may end: asks the main window.
  virtual bool CanClose();

  TFrameWindow* GetMainWindow() const { return MainWindow.get(); }
  // Takes ownership of the frame.
  void SetMainWindow(TFrameWindow* frame);

  static TApplication* Current() { return CurrentApplication; }
  // What the GUI entry point was given, for the main window's show command.
  static void RecordStartup(HINSTANCE instance, const char* commandLine, int showCommand);
  static int ShowCommand() { return StartupShowCommand; }
  // The "Unhandled Exception" box with the text, or "Unknown Exception".
  static void ShowExceptionBox(const char* text);

 protected:
  virtual void InitApplication() {}
  virtual void InitInstance();
  // Builds the main window object (no Windows window yet).
  virtual void InitMainWindow() {}
  // Offered every message before it is translated and dispatched; true keeps it.
  virtual bool PreProcessMessage(MSG&) { return false; }
  virtual void ShowUnhandledException(const char* text);

 private:
  int MessageLoop();
  int Fail(const char* text);

  std::unique_ptr<TFrameWindow> MainWindow;
  static TApplication* CurrentApplication;
  static int StartupShowCommand;
};
