// The painter control: an owner-drawn surface on which a program paints its whole user interface
// (background picture, pictures, texts).
//   CVWnd_Painter  the native window of class "VolPainter": keeps the drawing state (PainterCanvas), builds
//                  and resizes the back buffer, and paints (WM_PAINT): from the back buffer when there is
//                  one, otherwise background first and then the paint event;
//   CVolPainter    the control: drawing properties and operations, and the paint event, which hands the
//                  dirty rectangle (logical units) to a handler that draws with DrawPicture and DrawTextAt.
//
// Drawing outside the paint event goes to the screen (and to the back buffer) at once. Every drawing
// operation does nothing while the control has no window. Thread: the user-interface thread; workers ask
// for a repaint (Redraw) instead of drawing.
#pragma once

#include "ui/painter_canvas.h"
#include "ui/picture.h"
#include "ui/win_control.h"

class CVWnd_Painter : public CVolNativeWindow {
 public:
  PainterCanvas& Canvas() { return m_canvas; }

 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  LRESULT DefaultWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void Paint();

  PainterCanvas m_canvas;
};

// Paint event handler: (receiver, painter, extra, dirty rectangle in logical units); the result is ignored.
using PaintEventHandler = int (*)(CVolObject* receiver, CVolObject* painter, int32_t extra, CVolRect* dirty);

class CVolPainter : public CVolWinControl, public virtual IPainterEventListener {
  VOL_CLASS_IDENTITY(CVolPainter, CVolWinControl, "CVolPainter")
 public:
  CVolPainter();
  ~CVolPainter() override;

  // Creates the "VolPainter" window hidden, then shows it without activating it when it was asked to be
  // visible.
  bool Create(CreateParams& params) override;
  IBaseEventListener* ListenerInterface() override { return static_cast<IPainterEventListener*>(this); }

  // --- Paint event ---
  EventBinding& PaintEvent() { return m_paintEvent; }
  using CVolWinControl::BindEvent;
  void BindPaintEvent(PaintEventHandler handler, CVolEventObjectPointer* holder, int32_t extra = 0) {
    BindEvent(m_paintEvent, handler, holder, extra);
  }

  // --- IPainterEventListener ---
  bool OnRawMessage(WindowMessage& message) override { return Dispatch(message); }
  void OnPaintEvent(const CVolRect& dirty) override;

  // --- Properties (kept while there is no window, used once it exists) ---
  // RGB, or PainterCanvas::kSystemButtonFace.
  void SetBackgroundColor(uint32_t color) { Canvas().SetBackgroundColor(color); }
  uint32_t GetBackgroundColor() { return Canvas().BackgroundColor(); }
  // A copy of `picture` is kept; an invalid picture removes the background picture.
  void SetBackgroundPicture(const CVolPicture& picture) { Canvas().SetBackgroundPicture(picture); }
  // 0 top-left, 1 tiled, 2 centred and shrunk to fit, 3 stretched.
  void SetBackgroundPictureMode(int32_t mode) { Canvas().SetBackgroundPictureMode(mode); }
  void SetPersistent(bool on) { Canvas().SetPersistent(on); }
  bool IsPersistent() { return Canvas().IsPersistent(); }
  // Drawing objects, owned by the painter from here on; null returns to the stock object.
  void SetPen(HPEN pen) { Canvas().AdoptPen(pen); }
  void SetBrush(HBRUSH brush) { Canvas().AdoptBrush(brush); }
  void SetFont(HFONT font) { Canvas().AdoptFont(font); }
  void SetLineColor(COLORREF color) { Canvas().SetLineColor(color); }
  void SetTextColor(COLORREF color) { Canvas().SetTextColor(color); }
  // PainterCanvas::kTransparentTextBackground, or an opaque colour.
  void SetTextBackground(int64_t color) { Canvas().SetTextBackground(color); }
  void SetRasterMode(int32_t mode) { Canvas().SetRasterMode(mode); }
  void SetCoordinateMode(int32_t mode) { Canvas().SetCoordinateMode(mode); }
  void SetCurrentPosition(int32_t x, int32_t y) { Canvas().SetCurrentPosition(x, y); }
  POINT GetCurrentPosition() { return Canvas().CurrentPosition(); }

  // --- Drawing (see PainterCanvas) ---
  void ClearCanvas() { Canvas().ClearCanvas(); }
  void DrawTextAt(int32_t x, int32_t y, const CWString& text, int32_t lineSpacing) {
    Canvas().DrawTextAt(x, y, text, lineSpacing);
  }
  void DrawTextAt(int32_t x, int32_t y, const wchar_t* text, int32_t lineSpacing) {
    Canvas().DrawTextAt(x, y, text, lineSpacing);
  }
  void DrawPicture(const CVolPicture& picture, int32_t x, int32_t y, int32_t width, int32_t height,
                   int64_t rasterOp = PainterCanvas::kCopy) {
    Canvas().DrawPicture(picture, x, y, width, height, rasterOp);
  }

  PainterCanvas& Canvas() { return NativeAs<CVWnd_Painter>()->Canvas(); }

 private:
  EventBinding m_paintEvent;
};
