// The GUI entry point of Frelox.exe.
#include <windows.h>

#include <cstdlib>
#include <exception>

#include "shell/CommandLineRun.h"
#include "shell/FreloxMain.h"
#include "windowing/TApplication.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  TApplication::RecordStartup(instance, commandLine, SW_SHOWDEFAULT);
  // The run catches what escapes the message loop; what a handler raises
  // while the windows are destroyed after the run comes here.
  try {
    return FreloxMain(ProgramArguments());
  } catch (const std::exception& error) {
    TApplication::ShowExceptionBox(error.what());
  } catch (...) {
    TApplication::ShowExceptionBox(nullptr);
  }
  return TApplication::kExceptionExitCode;
}
