#include <windows.h>

#include "app/installer_entry.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int showCommand) {
  return RunInstaller(instance, commandLine, showCommand);
}
