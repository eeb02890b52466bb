// The application object of an in-process window test: the runtime's start-up (common controls, COM) and
// its message pre-translation, so that messages pumped with PumpMessagesUntil take the program's route.
// Construct one per test (the last one constructed is the process's application).
#pragma once

#include "ui/mfc_app_base.h"
#include "ui/win_form.h"

class UiTestApp : public CVolMfcAppBase {
 public:
  UiTestApp() { InitInstance(); }
};

// A form whose default client size is given, for tests that need a window to put controls on.
class SizedForm : public CVolWinForm {
 public:
  explicit SizedForm(int32_t clientWidth = 300, int32_t clientHeight = 200)
      : m_clientWidth(clientWidth), m_clientHeight(clientHeight) {}
  ~SizedForm() override { BeginDestruction(); }
  int32_t DefaultClientWidth() override { return m_clientWidth; }
  int32_t DefaultClientHeight() override { return m_clientHeight; }

 private:
  int32_t m_clientWidth, m_clientHeight;
};
