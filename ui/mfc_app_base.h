// CVolMfcAppBase: the runtime's application object on the framework: start-up of OLE, the common controls
// and COM, and the runtime's message pre-translation. Programs with a user application use CVolMFCApp,
// which builds on this; tests use it directly to get the runtime's pre-translation in their message loops.
#pragma once

#include "framework/application.h"

class CVolMfcAppBase : public FrameworkApp {
 public:
  CVolMfcAppBase() = default;
  // Undoes COM and OLE start-up.
  ~CVolMfcAppBase() override;

  // OLE (result ignored), the common controls (all classes), the framework's start-up, then COM as a
  // single-threaded apartment. Returns true.
  bool InitInstance() override;
  // The framework's pre-translation, then the runtime's (RelayRuntimePreTranslate).
  bool PreTranslateMessage(MSG* message) override;

  // Whether CoInitializeEx succeeded during start-up.
  bool IsComInitialised() const { return m_comInitialised; }

 private:
  bool m_oleInitialised = false;
  bool m_comInitialised = false;
};
