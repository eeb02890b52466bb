// The installer with one entry of its binding table renamed to a function no library exports.
#include <windows.h>

#include "app/installer_entry.h"
#include "runtime/external_binding.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int showCommand) {
  ProgramBindingTable()[kFindClose].functionName = "TonvexaNoSuchFunction";
  return RunInstaller(instance, commandLine, showCommand);
}
