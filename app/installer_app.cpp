#include "app/installer_app.h"

#include "framework/application.h"
#include "runtime/external_binding.h"
#include "runtime/serial_stream.h"

bool InstallerApp::StartInstaller() {
  BindExternalFunctions();
  CreateParams params;  // no parent; position and size left to the form and the system
  const bool created = m_form.Create(params);
  if (created) {
    if (FrameworkApp* app = FrameworkApp::Current()) app->SetMainWindow(m_form.NativeWindow());
  }
  return true;
}

void InstallerApp::Load(SerialStream& stream) {
  if (stream.Good()) m_form.Load(stream);
}

void InstallerApp::Save(SerialStream& stream) const {
  if (stream.Good()) m_form.Save(stream);
}
