// CreateParams: what a control's create operation is asked to make. The create operations fill in what
// the caller left open (prepare, default size and position) before the window is made.
#pragma once

#include <windows.h>

#include <cstdint>

#include "runtime/wide_string.h"

class CMfcWndObject;
class CVolWinControl;

struct CreateParams {
  // In x, y, width or height: let the control (or the system) choose. Same value as CW_USEDEFAULT.
  static constexpr int32_t kDefault = static_cast<int32_t>(0x80000000);

  CMfcWndObject* parentWindow = nullptr;  // null for a top-level window
  CVolWinControl* parentControl = nullptr;
  int32_t x = kDefault;
  int32_t y = kDefault;
  int32_t width = kDefault;
  int32_t height = kDefault;
  int32_t id = 0;
  int64_t userValue = -1;
  uint32_t style = 0;    // 0: the window object's style
  uint32_t exStyle = 0;  // 0: the window object's extended style
  CWString title;        // empty: the window object's title
  HMENU menu = nullptr;
  bool modal = false;
  int64_t modalResult = 0;  // set when a modal form ends
  HFONT font = nullptr;     // set by prepare; borrowed from the window object
};
