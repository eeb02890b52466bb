// The program's own application object ("user application") and its base chain:
//   CVolUserApp       any user application; its Main runs at start-up inside the exception guard;
//   CVolClassListApp  adds the list of the runtime's boxed value classes;
//   CVolHookedApp     adds the hooks the framework's application calls: the message filter, idle time and
//                     the exit hook.
// The application object (CVolMFCApp) makes the user application from its class record at start-up and
// releases it at exit. The running user application is also reachable process-wide (RunningUserApp).
#pragma once

#include <windows.h>

#include <cstdint>

#include "runtime/object.h"

class CVolUserApp : public CVolObject {
  VOL_CLASS_IDENTITY(CVolUserApp, CVolObject, "CVolUserApp")
 public:
  // Becomes the running user application.
  CVolUserApp();
  ~CVolUserApp() override;
  CVolUserApp(const CVolUserApp&) = delete;
  CVolUserApp& operator=(const CVolUserApp&) = delete;

  // One application object per program: not cloned or assigned; equal only to itself.
  CVolObject* Clone() const override { return nullptr; }
  bool Assign(const CVolObject&) override { return false; }
  bool IsEqual(const CVolObject& other) const override { return &other == this; }

  // The program's main, run once at start-up; false ends the program.
  virtual bool Main() { return true; }
};

// The user application under construction or running, or null (none, or after shutdown).
CVolUserApp* RunningUserApp();

class CVolClassListApp : public CVolUserApp {
  VOL_CLASS_IDENTITY(CVolClassListApp, CVolUserApp, "CVolClassListApp")
 public:
  // The class records of the runtime's boxed value classes; *count receives their number (9).
  virtual const CVolClassInfo* const* ValueClassList(int* count) const;
};

class CVolHookedApp : public CVolClassListApp {
  VOL_CLASS_IDENTITY(CVolHookedApp, CVolClassListApp, "CVolHookedApp")
 public:
  // Every queued message before anything else sees it; false = the message is handled (dropped).
  virtual bool MessageFilter(HWND, UINT, WPARAM, LPARAM, MSG*) { return true; }
  // Idle time (milliseconds since the queue became idle); true = more idle calls wanted.
  virtual bool Idle(uint32_t) { return false; }
  // Called first thing at application exit.
  virtual void ExitHook(int64_t, int64_t, int64_t) {}
};
