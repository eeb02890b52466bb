// CMfcWndObject: a control's window object. It holds the window properties a control keeps while no native
// window exists (title, style, extended style, cursor, font), and owns the native window object (one of the
// CVolNativeWindow classes) that makes and runs the native window. Reference-counted: the control holds one
// reference (as the target of its CVolRefObject base) and a native window holds one more while a message is
// with the control. When the last reference goes, a native window that still exists is destroyed.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

#include "runtime/ref_object.h"
#include "runtime/wide_string.h"
#include "ui/gdi_scoped.h"
#include "ui/native_window.h"

class CMfcWndObject : public CRefObject {
 public:
  static constexpr uint32_t kDefaultStyle = 0x14000000;  // WS_VISIBLE | WS_CLIPSIBLINGS

  // Takes ownership of `native` (may be null for a control that makes no window).
  explicit CMfcWndObject(std::unique_ptr<CVolNativeWindow> native);
  ~CMfcWndObject() override;

  static const CVolClassInfo* ClassInfo();
  const CVolClassInfo* GetClassRecord() const override { return ClassInfo(); }
  bool IsKindOf(const CVolClassInfo* record) const override {
    return IsSameClass(record, ClassInfo()) || CRefObject::IsKindOf(record);
  }

  // Destroys a native window that still exists.
  void PreDestroy() override;

  CVolNativeWindow* Native() const { return m_native.get(); }
  // The native window's handle, or null.
  HWND Handle() const { return m_native ? m_native->Handle() : nullptr; }

  const CWString& Title() const { return m_title; }
  void SetTitle(const CWString& title) { m_title = title; }
  uint32_t Style() const { return m_style; }
  void SetStyle(uint32_t style) { m_style = style; }
  uint32_t ExStyle() const { return m_exStyle; }
  void SetExStyle(uint32_t exStyle) { m_exStyle = exStyle; }
  // Null = the window class's cursor.
  HCURSOR Cursor() const { return m_cursor; }
  void SetCursor(HCURSOR cursor) { m_cursor = cursor; }

  // The font set for the window (null = none set).
  HFONT Font() const { return m_font.Get(); }
  // Takes ownership of `font` (deleted with this object or when replaced).
  void AdoptFont(HFONT font);
  // The font set, or else the runtime's 9-point default GUI font, made once and kept here.
  HFONT FontOrDefault();

 private:
  CWString m_title;
  uint32_t m_style = kDefaultStyle;
  uint32_t m_exStyle = 0;
  HCURSOR m_cursor = nullptr;  // system cursors are shared and never destroyed
  ScopedGdiObject<HFONT> m_font;
  std::unique_ptr<CVolNativeWindow> m_native;
};
