#include "shell/FreloxMain.h"

#include "shell/TMyApp.h"

int FreloxMain(int, char**) {
  TMyApp app;
  const int result = app.Run();
  app.DestroyMainWindow();
  return result;
}
