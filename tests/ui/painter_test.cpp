// The painter control inside a form: its native window, the paint event and its handler's drawing, the
// persistent back buffer that replaces the event, and properties kept until the window exists.
#include "ui/painter.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/message_pump.h"
#include "support/ui_test_app.h"
#include "ui/solid_picture.h"
#include "ui/win_form.h"

namespace {

constexpr COLORREF kBackground = RGB(250, 240, 230);
constexpr COLORREF kInk = RGB(20, 90, 200);

// A borderless form covered by one painter whose paint event draws a square.
class PainterForm : public CVolWinForm {
 public:
  CVolPainter painter;
  std::vector<CVolRect> dirty;
  CVolPicture square = SolidPicture(10, 10, kInk);

  PainterForm() {
    SetControlBox(false);
    SetBorderStyle(0);
    painter.SetBackgroundColor(kBackground);  // kept until the painter's window exists
  }
  ~PainterForm() override { BeginDestruction(); }
  int32_t DefaultClientWidth() override { return 160; }
  int32_t DefaultClientHeight() override { return 120; }
  void CreatedHook() override {
    painter.BindPaintEvent(&PainterForm::OnPaint, EventHolder());
    painter.CreateChild(*this, 0, 0, 160, 120, 101);
  }
  static int OnPaint(CVolObject* self, CVolObject* sender, int32_t, CVolRect* rect) {
    auto* form = static_cast<PainterForm*>(self);
    form->dirty.push_back(*rect);
    static_cast<CVolPainter*>(sender)->DrawPicture(form->square, 20, 30, -1, -1);
    return 0;
  }

  // Invalidates part of the painter and waits for the repaint.
  void Repaint(const RECT& part) {
    InvalidateRect(painter.GetHwnd(), &part, FALSE);
    UpdateWindow(painter.GetHwnd());
  }
  COLORREF ScreenPixel(int x, int y) {
    HDC dc = GetDC(painter.GetHwnd());
    COLORREF color = GetPixel(dc, x, y);
    ReleaseDC(painter.GetHwnd(), dc);
    return color;
  }
};

TEST(Painter, WindowIsAVisiblePainterChild) {
  UiTestApp app;
  PainterForm form;
  ASSERT_TRUE(form.CreateDefault());
  HWND window = form.painter.GetHwnd();
  ASSERT_NE(window, nullptr);
  wchar_t className[32] = {};
  GetClassNameW(window, className, 32);
  EXPECT_STREQ(className, L"VolPainter");
  EXPECT_TRUE(IsWindowVisible(window));
  EXPECT_EQ(GetParent(window), form.GetHwnd());
  EXPECT_EQ(GetWindowLongPtrW(window, GWLP_USERDATA), kRuntimeWindowMarker);
  EXPECT_TRUE(form.painter.IsAttached());

  // Created without WS_VISIBLE stays hidden.
  CVolPainter hidden;
  CreateParams params;
  params.parentWindow = form.WindowObject();
  params.parentControl = &form;
  params.x = params.y = 0;
  params.width = params.height = 10;
  params.style = WS_CLIPSIBLINGS;
  ASSERT_TRUE(hidden.Create(params));
  EXPECT_FALSE(IsWindowVisible(hidden.GetHwnd()));
}

TEST(Painter, PaintEventGetsTheDirtyRectangleAndDrawsOnTheScreen) {
  UiTestApp app;
  PainterForm form;
  ASSERT_TRUE(form.CreateDefault());
  PumpTestMessagesFor(200);
  form.dirty.clear();

  form.Repaint(RECT{10, 20, 60, 70});
  ASSERT_EQ(form.dirty.size(), 1u);
  EXPECT_EQ(form.dirty[0], CVolRect(10, 20, 60, 70));
  EXPECT_EQ(form.ScreenPixel(25, 35), kInk);
  EXPECT_EQ(form.ScreenPixel(15, 25), kBackground);
}

TEST(Painter, PersistentPainterPaintsFromItsBufferWithoutTheEvent) {
  UiTestApp app;
  PainterForm form;
  form.painter.SetPersistent(true);
  ASSERT_TRUE(form.CreateDefault());
  SIZE size = form.painter.Canvas().BackBufferSize();
  EXPECT_EQ(size.cx, 160);
  EXPECT_EQ(size.cy, 120);

  form.painter.DrawPicture(SolidPicture(8, 8, RGB(200, 0, 0)), 90, 50, -1, -1);
  form.dirty.clear();
  form.Repaint(RECT{0, 0, 160, 120});
  EXPECT_TRUE(form.dirty.empty()) << "the back buffer replaces the paint event";
  EXPECT_EQ(form.ScreenPixel(94, 54), RGB(200, 0, 0));
  EXPECT_EQ(form.ScreenPixel(25, 35), kBackground);

  // Resizing rebuilds the buffer and keeps what was drawn.
  form.painter.MoveTo(0, 0, 100, 80);
  size = form.painter.Canvas().BackBufferSize();
  EXPECT_EQ(size.cx, 100);
  EXPECT_EQ(size.cy, 80);
  EXPECT_EQ(GetPixel(form.painter.Canvas().BackBufferDc(), 97, 57), RGB(200, 0, 0));
}

TEST(Painter, DrawingWithoutAWindowDoesNothing) {
  CVolPainter painter;
  painter.DrawTextAt(0, 0, L"x", 0);
  painter.DrawPicture(SolidPicture(2, 2, 0), 0, 0, -1, -1);
  painter.ClearCanvas();
  painter.SetPersistent(true);
  EXPECT_EQ(painter.Canvas().BackBufferDc(), nullptr);
  EXPECT_FALSE(painter.HasWindow());
}

}  // namespace
