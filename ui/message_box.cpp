#include "ui/message_box.h"

int32_t ShowMessage(HWND owner, const CWString& text, int32_t type, const CWString& caption) {
  HWND focus = GetFocus();
  const int result = MessageBoxW(owner, text.GetText(), caption.GetText(), static_cast<UINT>(type));
  if (focus && IsWindow(focus)) SetFocus(focus);
  // Failure is 0 (some implementations report a failed dialog as -1).
  return result > 0 ? result : 0;
}
