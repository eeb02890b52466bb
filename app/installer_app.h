// InstallerApp: the installer's user application. It owns the installer window and, at start-up, binds the
// runtime's external functions and opens the window as the program's main window.
#pragma once

#include "app/installer_form.h"
#include "ui/user_app.h"

class SerialStream;

class InstallerApp : public CVolHookedApp {
  VOL_CLASS_IDENTITY(InstallerApp, CVolHookedApp, "InstallerApp")
 public:
  InstallerApp() = default;

  // startInstaller.
  bool Main() override { return StartInstaller(); }
  // Binds the external functions (a missing library or function throws CVolException) and opens the
  // installer window modeless with the system's default placement; the window becomes the main window.
  // Returns true (start-up then checks that a main window exists).
  bool StartInstaller();

  InstallerForm& Form() { return m_form; }

  // The form's stream form, when the stream carries no error.
  void Load(SerialStream& stream) override;
  void Save(SerialStream& stream) const override;

 private:
  InstallerForm m_form;
};
