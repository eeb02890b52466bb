// The install flow's entry points of the installer window.
#include "app/installer_form.h"

void InstallerForm::startInstallation() {}

void InstallerForm::launchProduct() {}

void InstallerForm::onProgressTimerTick() {}
