// The application object of an in-process window test: the runtime's start-up (common controls, COM) and
// its message pre-translation, so that messages pumped with PumpMessagesUntil take the program's route.
// Construct one per test (the last one constructed is the process's application).
#pragma once

#include "ui/mfc_app_base.h"

class UiTestApp : public CVolMfcAppBase {
 public:
  UiTestApp() { InitInstance(); }
};
