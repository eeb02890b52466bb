#include "ui/gdiplus_session.h"

#include <windows.h>

#include <gdiplus.h>

#include "runtime/lock.h"

namespace {

// The lock needs no constructor call, so decoding from static initialisers is safe.
Lock g_gdiplusLock;
ULONG_PTR g_gdiplusToken = 0;

}  // namespace

bool EnsureGdiplusStarted() {
  LockGuard guard(g_gdiplusLock);
  if (g_gdiplusToken != 0) return true;
  // Version 1, no debug callback; GDI+ runs its own background thread and loads its own codecs.
  Gdiplus::GdiplusStartupInput input;
  ULONG_PTR token = 0;
  if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok || token == 0) return false;
  g_gdiplusToken = token;
  return true;
}

void ShutdownGdiplus() {
  LockGuard guard(g_gdiplusLock);
  if (g_gdiplusToken == 0) return;
  Gdiplus::GdiplusShutdown(g_gdiplusToken);
  g_gdiplusToken = 0;
}

bool IsGdiplusStarted() {
  LockGuard guard(g_gdiplusLock);
  return g_gdiplusToken != 0;
}
