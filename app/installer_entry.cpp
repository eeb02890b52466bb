#include "app/installer_entry.h"

#include "app/installer_app.h"
#include "app/system_library_search.h"
#include "framework/application.h"
#include "ui/mfc_app.h"

namespace {

// The program's application object; it makes the InstallerApp at start-up.
CVolMFCApp g_application(InstallerApp::ClassInfo());

}  // namespace

int RunInstaller(HINSTANCE instance, PWSTR commandLine, int showCommand) {
  SearchLibrariesInSystemFolderOnly();
  return FrameworkWinMain(instance, nullptr, commandLine, showCommand);
}
