#include "shell/FreloxMain.h"

#include "recording/CommandLineParser.h"
#include "settings/RegistryStorage.h"
#include "shell/CommandLineRun.h"
#include "shell/StandardStreams.h"
#include "shell/TMyApp.h"

int FreloxMain(const std::vector<std::wstring>& arguments) {
  const ParsedCommandLine parsed = CommandLineParser::Parse(Utf8Arguments(arguments));
  if (parsed.Action != CommandLineAction::kStartWindow) {
    StandardStreams streams;
    return RunCommandLine(parsed, streams);
  }
  // The user's settings, under HKEY_CURRENT_USER\Software\Frelox.
  RegistryStorage storage;
  TMyApp app(storage);
  const int result = app.Run();
  app.DestroyMainWindow();
  return result;
}
