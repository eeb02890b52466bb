#include "ui/gdiplus_session.h"

#include <windows.h>

#include <gdiplus.h>

namespace {

// Static initialisation of an SRW lock needs no constructor, so decoding from static initialisers is safe.
SRWLOCK g_gdiplusLock = SRWLOCK_INIT;
ULONG_PTR g_gdiplusToken = 0;

class ExclusiveLock {
 public:
  ExclusiveLock() { AcquireSRWLockExclusive(&g_gdiplusLock); }
  ~ExclusiveLock() { ReleaseSRWLockExclusive(&g_gdiplusLock); }
  ExclusiveLock(const ExclusiveLock&) = delete;
  ExclusiveLock& operator=(const ExclusiveLock&) = delete;
};

}  // namespace

bool EnsureGdiplusStarted() {
  ExclusiveLock lock;
  if (g_gdiplusToken != 0) return true;
  // Version 1, no debug callback; GDI+ runs its own background thread and loads its own codecs.
  Gdiplus::GdiplusStartupInput input;
  ULONG_PTR token = 0;
  if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok || token == 0) return false;
  g_gdiplusToken = token;
  return true;
}

void ShutdownGdiplus() {
  ExclusiveLock lock;
  if (g_gdiplusToken == 0) return;
  Gdiplus::GdiplusShutdown(g_gdiplusToken);
  g_gdiplusToken = 0;
}

bool IsGdiplusStarted() {
  ExclusiveLock lock;
  return g_gdiplusToken != 0;
}
