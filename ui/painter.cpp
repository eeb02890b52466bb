#include "ui/painter.h"

#include "ui/window_class.h"

LRESULT CVWnd_Painter::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  // The canvas follows the window whatever the listener does with these messages.
  switch (message) {
    case WM_CREATE:
      m_canvas.AttachWindow(Handle());
      break;
    case WM_SIZE:
      m_canvas.OnResized();
      break;
    case WM_NCDESTROY:
      m_canvas.AttachWindow(nullptr);
      break;
    default:
      break;
  }
  return CVolNativeWindow::WindowProc(message, wParam, lParam);
}

LRESULT CVWnd_Painter::DefaultWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      Paint();
      return 0;
    case WM_ERASEBKGND:
      return 1;  // painting fills the background itself
    default:
      return CVolNativeWindow::DefaultWindowProc(message, wParam, lParam);
  }
}

void CVWnd_Painter::Paint() {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(Handle(), &paint);
  if (!dc) return;
  RECT clip;
  if (GetClipBox(dc, &clip) != ERROR) {
    auto* listener = dynamic_cast<IPainterEventListener*>(Listener());
    PainterCanvas::PaintHandler onPaint;
    if (listener) onPaint = [listener](const CVolRect& dirty) { listener->OnPaintEvent(dirty); };
    m_canvas.Paint(dc, clip, onPaint);
  }
  EndPaint(Handle(), &paint);
}

CVolPainter::CVolPainter() : CVolWinControl(std::make_unique<CVWnd_Painter>()) {}

CVolPainter::~CVolPainter() {
  DetachListener();
  m_paintEvent.Unbind();
}

bool CVolPainter::Create(CreateParams& params) {
  if (!CreateRuntimeWindow(params, kPainterWindowClass, Visibility::kCreateHidden)) return false;
  if (params.style & WS_VISIBLE) ShowWindow(GetHwnd(), SW_SHOWNA);
  return true;
}

void CVolPainter::OnPaintEvent(const CVolRect& dirty) {
  CVolRect rect = dirty;
  m_paintEvent.Fire<int, CVolRect*>(this, 0, &rect);
}
