// CVolMFCApp: the application object of a program with a user application (CVolUserApp). The program
// defines one static CVolMFCApp with its user application's class record and lets wWinMain call
// FrameworkWinMain. Start-up (InitInstance): the runtime's start-up (CVolMfcAppBase), then the user
// application is made from its class record and its Main runs under RunUserMain; the message loop runs
// when Main succeeded and set a main window. While it runs, the user application's hooks (message filter,
// idle time) are called; at exit (ExitInstance) its exit hook runs and the runtime shuts down in order.
#pragma once

#include <windows.h>

#include "runtime/object_array.h"
#include "ui/mfc_app_base.h"
#include "ui/user_app.h"

class CVolMFCApp : public CVolMfcAppBase {
 public:
  explicit CVolMFCApp(const CVolClassInfo* userAppClass);
  ~CVolMFCApp() override;

  // The runtime's start-up, then the user application: made from its class record (a record whose object
  // is not a CVolUserApp ends the process with -1), and its Main run by RunUserMain. True when Main
  // returned true and a main window is set.
  bool InitInstance() override;
  // The user application's message filter first (false = handled), then the base pre-translation.
  bool PreTranslateMessage(MSG* message) override;
  // With a hooked user application: the framework's idle work first, then once per idle period the idle
  // list pass and the user application's idle hook.
  bool OnIdle(long count) override;
  // Exit hook, idle list, user application, process object array, external libraries, GDI+, framework.
  int ExitInstance() override;

  // The user application when it is a CVolHookedApp (its hooks are called), else null.
  CVolHookedApp* UserApp() const { return m_hookedApp; }

 private:
  const CVolClassInfo* m_userAppClass;
  CVolUserApp* m_userApp = nullptr;  // owned
  CVolHookedApp* m_hookedApp = nullptr;
  bool m_idlePending = false;
  DWORD m_idleStart = 0;
};

// Runs the user application's Main. Without a debugger a CVolException escaping it is shown as
// "俘获到异常,代码值为: %d, 描述为: %s" (any other exception as "程序在运行时抛出了未被管理的异常")
// in a message box captioned "运行时异常", and the process ends with exit code -1. With a debugger
// attached (`debuggerPresent`) exceptions propagate to the caller.
bool RunUserMain(CVolUserApp& app, bool debuggerPresent);
// RunUserMain with the debugger's presence asked from the system.
bool RunUserMain(CVolUserApp& app);

// Objects the runtime keeps alive for the whole process; emptied at application exit.
CVolObjectArray& ProcessObjectArray();
