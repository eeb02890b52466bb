// The window-level interface of the runtime: the marker every runtime window carries, its private
// messages, and the record in which a native window hands a message to the control listening to it.
#pragma once

#include <windows.h>

#include <cstdint>

// Stored in GWLP_USERDATA of every native window the runtime creates.
constexpr LONG_PTR kRuntimeWindowMarker = 19731115;  // 0x12D12AB

// Private messages. Those taking a pointer in wParam carry the marker as lParam and answer with it.
constexpr UINT kRemoveFilterMessage = 0x9FFB;     // wParam: IWindowProcFilter* to remove
constexpr UINT kAddFilterMessage = 0x9FFC;        // wParam: IWindowProcFilter* to add (newest first)
constexpr UINT kQueryUserValueMessage = 0x9FFD;   // wParam: int64_t* receiving the window's user value
constexpr UINT kPreTranslateMessage = 0x9FFF;     // wParam: MSG*; answer = marker: the message was consumed
constexpr UINT kTrayNotifyMessage = 0xA000;       // lParam: the mouse message over the tray icon
constexpr UINT kModalCloseMessage = 0xA001;       // to a modal form: wParam reason, lParam modal result

// The reason a modal form is closed by kModalCloseMessage when Esc was pressed.
constexpr WPARAM kCloseReasonEscape = 3;

// Key modifiers passed with mouse and key events.
constexpr int32_t kModifierCtrl = 0x2000;
constexpr int32_t kModifierAlt = 0x4000;
constexpr int32_t kModifierShift = 0x8000;

// True when `window` was created by the runtime.
inline bool IsRuntimeWindow(HWND window) {
  return window && GetWindowLongPtrW(window, GWLP_USERDATA) == kRuntimeWindowMarker;
}

// One message as the native window procedure passes it to a listening control. The control may rewrite
// wParam and lParam before the window's default processing sees them, and sets `result` when it
// handles the message.
struct WindowMessage {
  HWND window;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  LRESULT result;
};
