#include "shell/FreloxMain.h"

#include "settings/RegistryStorage.h"
#include "shell/TMyApp.h"

int FreloxMain(int, char**) {
  // The user's settings, under HKEY_CURRENT_USER\Software\Frelox.
  RegistryStorage storage;
  TMyApp app(storage);
  const int result = app.Run();
  app.DestroyMainWindow();
  return result;
}
