#include "ui/pre_translate.h"

#include "ui/window_messages.h"

namespace {

bool IsMouseOrKeyboardMessage(UINT message) {
  return (message >= WM_MOUSEFIRST && message <= 0x20E) || (message >= WM_KEYFIRST && message <= 0x109);
}

}  // namespace

bool RelayRuntimePreTranslate(MSG* message) {
  if (!IsMouseOrKeyboardMessage(message->message)) return false;
  for (HWND window = message->hwnd; window && IsWindow(window); window = GetParent(window)) {
    if (IsRuntimeWindow(window) &&
        SendMessageW(window, kPreTranslateMessage, reinterpret_cast<WPARAM>(message), kRuntimeWindowMarker) ==
            kRuntimeWindowMarker) {
      return true;
    }
    if (!(GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD)) break;
  }
  return false;
}
