// EditBoxT: the system "EDIT" control as a framework window.
//
// EditBoxT<Base> adds the edit control's creation and operations to any framework window class Base (itself
// a FrameworkWindow), so a window class of a higher layer can be an edit box and keep its own base.
// EditBox is the plain wrapper. Every operation needs the window to exist and does nothing (or returns
// an empty / zero result) otherwise.
#pragma once

#include <windows.h>

#include <string>

#include "framework/window.h"

template <class Base = FrameworkWindow>
class EditBoxT : public Base {
 public:
  static constexpr const wchar_t* kClassName = L"EDIT";

  // Creates the edit box as a child of `parent` (or top-level when null) with identifier `id`.
  bool CreateEditBox(DWORD exStyle, DWORD style, const RECT& rect, HWND parent, UINT id,
                     const wchar_t* text = L"") {
    return this->CreateEx(exStyle, kClassName, text, style, rect.left, rect.top, rect.right - rect.left,
                          rect.bottom - rect.top, parent, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)));
  }

  std::wstring GetText() const {
    if (!this->Exists()) return std::wstring();
    const int length = GetWindowTextLengthW(this->Handle());
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(this->Handle(), &text[0], length + 1);
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return text;
  }
  bool SetText(const wchar_t* text) { return this->Exists() && SetWindowTextW(this->Handle(), text ? text : L""); }

  // Maximum number of characters the user may type (0 = the system's maximum).
  void LimitText(int maximum) { Call(EM_LIMITTEXT, static_cast<WPARAM>(maximum), 0); }
  // 0 shows the characters as typed.
  void SetPasswordChar(wchar_t character) { Call(EM_SETPASSWORDCHAR, character, 0); }
  void SetReadOnly(bool readOnly) { Call(EM_SETREADONLY, readOnly ? TRUE : FALSE, 0); }
  // Selects characters start to end (0, -1 selects all); the caret goes to `end`.
  void SetSel(int start, int end) { Call(EM_SETSEL, static_cast<WPARAM>(start), end); }
  void GetSel(int* start, int* end) const {
    DWORD s = 0, e = 0;
    if (this->Exists()) this->Send(EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
    if (start) *start = static_cast<int>(s);
    if (end) *end = static_cast<int>(e);
  }
  void ScrollCaret() { Call(EM_SCROLLCARET, 0, 0); }
  void ReplaceSel(const wchar_t* text, bool canUndo = false) {
    Call(EM_REPLACESEL, canUndo ? TRUE : FALSE, reinterpret_cast<LPARAM>(text ? text : L""));
  }

 private:
  LRESULT Call(UINT message, WPARAM wParam, LPARAM lParam) {
    return this->Exists() ? this->Send(message, wParam, lParam) : 0;
  }
};

using EditBox = EditBoxT<>;
