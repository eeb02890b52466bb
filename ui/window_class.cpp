#include "ui/window_class.h"

#include <windows.h>

#include "framework/application.h"

bool RegisterRuntimeWindowClass(const wchar_t* className) {
  if (!className) className = kFormWindowClass;
  HINSTANCE instance = FrameworkApp::Instance();
  WNDCLASSW known{};
  if (GetClassInfoW(instance, className, &known)) return true;
  WNDCLASSW wc{};
  wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
  wc.lpszClassName = className;
  // Another thread may have registered it meanwhile.
  return RegisterClassW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}
