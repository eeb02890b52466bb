#include "ui/wnd_object.h"

namespace {

// The DEFAULT_GUI_FONT face at 9 points for the screen's resolution.
HFONT CreateDefaultFont() {
  LOGFONTW font{};
  GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
  HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen) ReleaseDC(nullptr, screen);
  font.lfHeight = -(dpi * 9 / 72);
  font.lfWidth = 0;
  return CreateFontIndirectW(&font);
}

}  // namespace

CMfcWndObject::CMfcWndObject(std::unique_ptr<CVolNativeWindow> native) : m_native(std::move(native)) {
  if (m_native) m_native->SetOwner(this);
}

CMfcWndObject::~CMfcWndObject() {
  if (m_native) m_native->SetOwner(nullptr);
}

const CVolClassInfo* CMfcWndObject::ClassInfo() {
  static const CVolClassInfo info = MakeClassInfo("CMfcWndObject", nullptr);
  return &info;
}

void CMfcWndObject::PreDestroy() {
  if (!m_native) return;
  // No more references may be taken: the count has reached zero.
  m_native->SetOwner(nullptr);
  if (m_native->Exists()) m_native->DestroyWindow();
}

void CMfcWndObject::AdoptFont(HFONT font) {
  m_font.Reset(font);
}

HFONT CMfcWndObject::FontOrDefault() {
  if (!Font()) AdoptFont(CreateDefaultFont());
  return Font();
}
