// The painter's drawing core on real windows and DCs: picture blending, text lines, the back buffer, the
// paint path and the background picture modes. Pixels are read back from the back buffer or from a
// memory DC standing in for the paint DC.
#include "ui/painter_canvas.h"

#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <string>
#include <vector>

#include "resources/resource_ids.h"
#include "ui/solid_picture.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);

// A hidden top-level window whose client area is exactly width x height.
class TestWindow {
 public:
  TestWindow(int width, int height) {
    static const wchar_t* const kClass = L"PainterCanvasTestWindow";
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kClass;
    RegisterClassW(&wc);  // fails harmlessly when already registered
    m_window = CreateWindowExW(0, kClass, L"", WS_POPUP, 0, 0, width, height, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
  }
  ~TestWindow() { DestroyWindow(m_window); }
  HWND Get() const { return m_window; }
  void Resize(int width, int height) {
    SetWindowPos(m_window, nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
  }

 private:
  HWND m_window;
};

// A 32-bit DIB selected into a memory DC, standing in for a window's paint DC.
class MemorySurface {
 public:
  MemorySurface(int width, int height, COLORREF fill) : m_dc(nullptr) {
    m_picture.MakeDib(width, height, 32);
    m_selection.emplace(m_dc.Get(), m_picture.Bitmap());
    ScopedGdiObject<HBRUSH> brush(CreateSolidBrush(fill));
    RECT all{0, 0, width, height};
    FillRect(m_dc.Get(), &all, brush.Get());
  }
  HDC Dc() const { return m_dc.Get(); }
  COLORREF Pixel(int x, int y) const { return GetPixel(m_dc.Get(), x, y); }

 private:
  CVolPicture m_picture;
  ScopedMemoryDc m_dc;
  std::optional<ScopedSelection> m_selection;
};

// The smallest rectangle holding every pixel of `dc` inside `area` that is not `background`.
RECT InkBounds(HDC dc, const RECT& area, COLORREF background) {
  RECT bounds{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
  for (int y = area.top; y < area.bottom; ++y) {
    for (int x = area.left; x < area.right; ++x) {
      if (GetPixel(dc, x, y) == background) continue;
      bounds.left = std::min<LONG>(bounds.left, x);
      bounds.top = std::min<LONG>(bounds.top, y);
      bounds.right = std::max<LONG>(bounds.right, x + 1);
      bounds.bottom = std::max<LONG>(bounds.bottom, y + 1);
    }
  }
  return bounds;
}

::testing::AssertionResult SameRect(const RECT& actual, const RECT& expected) {
  if (EqualRect(&actual, &expected)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "(" << actual.left << ", " << actual.top << ", " << actual.right << ", "
                                       << actual.bottom << ") instead of (" << expected.left << ", " << expected.top
                                       << ", " << expected.right << ", " << expected.bottom << ")";
}

// A persistent white canvas on a window of the given size.
struct BufferedCanvas {
  BufferedCanvas(int width, int height) : window(width, height) {
    canvas.SetBackgroundColor(kWhite);
    canvas.AttachWindow(window.Get());
    canvas.SetPersistent(true);
  }
  HDC Buffer() const { return canvas.BackBufferDc(); }
  TestWindow window;
  PainterCanvas canvas;
};

TEST(PainterCanvasPictureTest, CloseButtonCoversItsOwnSizeAndBlendsItsEdges) {
  BufferedCanvas painter(120, 60);
  ASSERT_NE(painter.Buffer(), nullptr);
  CVolPicture button;
  ASSERT_TRUE(button.LoadPictureFromResource(IDR_PICTURE_CLOSE_HOVER));
  painter.canvas.DrawPicture(button, 30, 20, -1, -1);

  EXPECT_TRUE(SameRect(InkBounds(painter.Buffer(), RECT{0, 0, 120, 60}, kWhite), RECT{30, 20, 69, 40}));
  EXPECT_EQ(GetPixel(painter.Buffer(), 30, 20), kWhite) << "transparent corner";
  EXPECT_EQ(GetPixel(painter.Buffer(), 68, 39), kWhite) << "transparent corner";
  // The plate is opaque red; its rounded edge mixes red with the white behind it.
  const uint8_t* plate = button.Row(10) + 5 * 4;
  EXPECT_EQ(GetPixel(painter.Buffer(), 35, 30), RGB(plate[2], plate[1], plate[0]));
  bool blended = false;
  for (int x = 30; x < 36 && !blended; ++x) {
    COLORREF c = GetPixel(painter.Buffer(), x, 20);
    blended = c != kWhite && GetGValue(c) > GetGValue(RGB(plate[2], plate[1], plate[0]));
  }
  EXPECT_TRUE(blended) << "an anti-aliased corner pixel lies between the plate and the background";
}

TEST(PainterCanvasPictureTest, RequestedSizesStretchAndColourKeysLeaveTheBackground) {
  BufferedCanvas painter(100, 100);
  CVolPicture picture = SolidPicture(4, 4, RGB(255, 0, 255));
  picture.Row(1)[1 * 3 + 0] = 0;  // pixel (1, 1) green, the rest magenta
  picture.Row(1)[1 * 3 + 1] = 255;
  picture.Row(1)[1 * 3 + 2] = 0;

  painter.canvas.DrawPicture(picture, 10, 10, 40, 40, -static_cast<int64_t>(RGB(255, 0, 255)));
  HDC dc = painter.Buffer();
  EXPECT_EQ(GetPixel(dc, 15, 15), kWhite) << "the key colour is transparent";
  EXPECT_EQ(GetPixel(dc, 25, 25), RGB(0, 255, 0)) << "other colours are drawn, stretched 10 times";
  EXPECT_TRUE(SameRect(InkBounds(dc, RECT{0, 0, 100, 100}, kWhite), RECT{20, 20, 30, 30}));

  painter.canvas.DrawPicture(picture, 60, 60, 8, 8);
  EXPECT_TRUE(SameRect(InkBounds(dc, RECT{50, 50, 100, 100}, kWhite), RECT{60, 60, 68, 68}));
  EXPECT_EQ(GetPixel(dc, 60, 60), RGB(255, 0, 255)) << "SRCCOPY draws the key colour too";
}

// The vertical distance between two identical lines, found from their ink.
int LineDistance(HDC dc, const RECT& area) {
  std::vector<int> inkRows;
  for (int y = area.top; y < area.bottom; ++y) {
    for (int x = area.left; x < area.right; ++x) {
      if (GetPixel(dc, x, y) != kWhite) {
        inkRows.push_back(y);
        break;
      }
    }
  }
  if (inkRows.empty()) return -1;
  // The second line's ink starts at the first gap in the rows.
  for (size_t i = 1; i < inkRows.size(); ++i) {
    if (inkRows[i] != inkRows[i - 1] + 1) return inkRows[i] - inkRows[0];
  }
  return 0;
}

int DefaultFontLineHeight(const wchar_t* line) {
  ScopedMemoryDc dc(nullptr);
  SelectObject(dc.Get(), GetStockObject(DEFAULT_GUI_FONT));
  SIZE extent{};
  GetTextExtentPoint32W(dc.Get(), line, lstrlenW(line), &extent);
  return extent.cy;
}

TEST(PainterCanvasTextTest, LinesAreOneLineHeightPlusSpacingApart) {
  const int lineHeight = DefaultFontLineHeight(L"TT");
  ASSERT_GT(lineHeight, 0);
  struct Case {
    const wchar_t* text;
    int spacing;
    int expected;
  };
  const Case cases[] = {
      {L"TT\r\nTT", 0, lineHeight},
      {L"TT\nTT", 6, lineHeight + 6},
      {L"TT\rTT", 3, lineHeight + 3},
      {L"TT\r\nTT", -5, lineHeight},  // negative spacing counts as 0
  };
  for (const Case& c : cases) {
    BufferedCanvas painter(120, 120);
    painter.canvas.DrawTextAt(10, 10, c.text, c.spacing);
    EXPECT_EQ(LineDistance(painter.Buffer(), RECT{0, 0, 120, 120}), c.expected) << "spacing " << c.spacing;
  }

  // An empty line still takes the font's height.
  BufferedCanvas painter(120, 120);
  painter.canvas.DrawTextAt(10, 10, L"TT\r\n\r\nTT", 0);
  TEXTMETRICW metrics{};
  {
    ScopedMemoryDc dc(nullptr);
    SelectObject(dc.Get(), GetStockObject(DEFAULT_GUI_FONT));
    GetTextMetricsW(dc.Get(), &metrics);
  }
  EXPECT_EQ(LineDistance(painter.Buffer(), RECT{0, 0, 120, 120}), lineHeight + metrics.tmHeight);
}

TEST(PainterCanvasTextTest, IntMaxTakesTheCurrentPositionWhichTextDoesNotMove) {
  BufferedCanvas expected(100, 60);
  expected.canvas.DrawTextAt(37, 21, L"Ab", 0);
  RECT expectedInk = InkBounds(expected.Buffer(), RECT{0, 0, 100, 60}, kWhite);
  ASSERT_LT(expectedInk.left, expectedInk.right) << "the text drew something";

  BufferedCanvas painter(100, 60);
  painter.canvas.SetCurrentPosition(37, 21);
  painter.canvas.DrawTextAt(PainterCanvas::kCurrentPosition, PainterCanvas::kCurrentPosition, L"Ab", 0);
  EXPECT_TRUE(SameRect(InkBounds(painter.Buffer(), RECT{0, 0, 100, 60}, kWhite), expectedInk));
  EXPECT_EQ(painter.canvas.CurrentPosition().x, 37);
  EXPECT_EQ(painter.canvas.CurrentPosition().y, 21);

  // Only x from the current position.
  BufferedCanvas mixed(100, 60);
  mixed.canvas.SetCurrentPosition(37, 50);
  mixed.canvas.DrawTextAt(PainterCanvas::kCurrentPosition, 21, L"Ab", 0);
  EXPECT_TRUE(SameRect(InkBounds(mixed.Buffer(), RECT{0, 0, 100, 60}, kWhite), expectedInk));
}

// The pixels one text leaves on a white canvas.
std::vector<COLORREF> TextPixels(const wchar_t* text) {
  BufferedCanvas painter(40, 24);
  painter.canvas.DrawTextAt(2, 2, text, 0);
  std::vector<COLORREF> pixels;
  for (int y = 0; y < 24; ++y) {
    for (int x = 0; x < 40; ++x) pixels.push_back(GetPixel(painter.Buffer(), x, y));
  }
  return pixels;
}

// Without a CJK font that Wine finds, every Chinese character comes out as the same empty box.
TEST(PainterCanvasTextTest, ChineseTextRendersInTheDefaultFont) {
  const std::vector<COLORREF> blank(40 * 24, kWhite);
  const std::vector<COLORREF> agree = TextPixels(L"同");
  const std::vector<COLORREF> meaning = TextPixels(L"意");
  const std::vector<COLORREF> missingGlyph = TextPixels(L"\xE000");  // a private-use character: no glyph
  EXPECT_NE(agree, blank);
  EXPECT_NE(agree, meaning);
  EXPECT_NE(agree, missingGlyph);
  EXPECT_NE(meaning, missingGlyph);
}

TEST(PainterCanvasTextTest, TextUsesTheCanvasColoursAndFontThenStockObjectsReturn) {
  BufferedCanvas painter(200, 80);
  LOGFONTW big{};
  big.lfHeight = -40;
  lstrcpyW(big.lfFaceName, L"Tahoma");
  painter.canvas.AdoptFont(CreateFontIndirectW(&big));
  painter.canvas.SetTextColor(RGB(255, 0, 0));
  painter.canvas.SetTextBackground(RGB(0, 0, 255));
  painter.canvas.DrawTextAt(5, 5, L"Hi", 0);

  HDC dc = painter.Buffer();
  RECT ink = InkBounds(dc, RECT{0, 0, 200, 80}, kWhite);
  EXPECT_GT(ink.bottom - ink.top, DefaultFontLineHeight(L"Hi")) << "the adopted font is larger than the default";
  EXPECT_EQ(GetPixel(dc, ink.left, ink.top), RGB(0, 0, 255)) << "opaque text background";
  bool red = false;
  for (int x = ink.left; x < ink.right && !red; ++x) red = GetPixel(dc, x, (ink.top + ink.bottom) / 2) == RGB(255, 0, 0);
  EXPECT_TRUE(red) << "text colour";
  EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), GetStockObject(DEFAULT_GUI_FONT));
  EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), GetStockObject(BLACK_PEN));
  EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), GetStockObject(WHITE_BRUSH));
}

TEST(PainterCanvasBufferTest, PaintingCopiesOnlyTheDirtyPartAndFiresNothing) {
  BufferedCanvas painter(80, 60);
  painter.canvas.DrawPicture(SolidPicture(80, 60, RGB(10, 200, 30)), 0, 0, -1, -1);
  MemorySurface screen(80, 60, RGB(1, 2, 3));
  bool fired = false;
  painter.canvas.Paint(screen.Dc(), RECT{20, 10, 50, 30}, [&](const CVolRect&) { fired = true; });

  EXPECT_FALSE(fired);
  EXPECT_TRUE(SameRect(InkBounds(screen.Dc(), RECT{0, 0, 80, 60}, RGB(1, 2, 3)), RECT{20, 10, 50, 30}));
  EXPECT_EQ(screen.Pixel(20, 10), RGB(10, 200, 30));
  EXPECT_EQ(screen.Pixel(49, 29), RGB(10, 200, 30));

  // A clip box reaching beyond the client area copies only what is inside.
  MemorySurface big(100, 100, RGB(1, 2, 3));
  painter.canvas.Paint(big.Dc(), RECT{-10, -10, 200, 200}, nullptr);
  EXPECT_TRUE(SameRect(InkBounds(big.Dc(), RECT{0, 0, 100, 100}, RGB(1, 2, 3)), RECT{0, 0, 80, 60}));
}

TEST(PainterCanvasBufferTest, BufferFollowsTheClientSizeAndKeepsItsContent) {
  BufferedCanvas painter(0, 0);
  SIZE size = painter.canvas.BackBufferSize();
  EXPECT_EQ(size.cx, 1);
  EXPECT_EQ(size.cy, 1);

  painter.window.Resize(40, 30);
  painter.canvas.OnResized();
  painter.canvas.DrawPicture(SolidPicture(40, 30, RGB(200, 0, 0)), 0, 0, -1, -1);
  painter.window.Resize(60, 50);
  painter.canvas.OnResized();
  size = painter.canvas.BackBufferSize();
  EXPECT_EQ(size.cx, 60);
  EXPECT_EQ(size.cy, 50);
  EXPECT_EQ(GetPixel(painter.Buffer(), 39, 29), RGB(200, 0, 0)) << "old content kept";
  EXPECT_EQ(GetPixel(painter.Buffer(), 50, 40), kWhite) << "new area gets the background";

  painter.canvas.SetPersistent(false);
  EXPECT_EQ(painter.canvas.BackBufferDc(), nullptr);
}

TEST(PainterCanvasPaintTest, WithoutBufferTheDirtyPartIsClearedAndTheHandlerGetsLogicalUnits) {
  TestWindow window(100, 80);
  PainterCanvas canvas;
  canvas.SetBackgroundColor(RGB(0, 128, 255));
  canvas.AttachWindow(window.Get());
  canvas.SetCurrentPosition(3, 4);

  MemorySurface screen(100, 80, RGB(1, 2, 3));
  std::vector<CVolRect> dirty;
  canvas.Paint(screen.Dc(), RECT{10, 20, 300, 40}, [&](const CVolRect& rect) {
    dirty.push_back(rect);
    canvas.SetCurrentPosition(50, 50);
    canvas.DrawPicture(SolidPicture(5, 5, RGB(9, 9, 9)), 12, 22, -1, -1);  // lands on the paint DC
  });
  ASSERT_EQ(dirty.size(), 1u);
  EXPECT_EQ(dirty[0], CVolRect(10, 20, 100, 40));
  EXPECT_TRUE(SameRect(InkBounds(screen.Dc(), RECT{0, 0, 100, 80}, RGB(1, 2, 3)), RECT{10, 20, 100, 40}));
  EXPECT_EQ(screen.Pixel(11, 21), RGB(0, 128, 255));
  EXPECT_EQ(screen.Pixel(12, 22), RGB(9, 9, 9));
  EXPECT_EQ(canvas.CurrentPosition().x, 3) << "the position saved before the paint event returns";

  // In a metric coordinate mode the handler sees tenths of a millimetre, y growing upwards.
  canvas.SetCoordinateMode(MM_LOMETRIC);
  dirty.clear();
  MemorySurface again(100, 80, RGB(1, 2, 3));
  canvas.Paint(again.Dc(), RECT{0, 0, 100, 80}, [&](const CVolRect& rect) { dirty.push_back(rect); });
  ASSERT_EQ(dirty.size(), 1u);
  EXPECT_GT(dirty[0].right, 100);
  EXPECT_LT(dirty[0].bottom, 0);

  // Nothing of the client area is dirty: nothing happens.
  dirty.clear();
  canvas.Paint(again.Dc(), RECT{200, 200, 300, 300}, [&](const CVolRect& rect) { dirty.push_back(rect); });
  EXPECT_TRUE(dirty.empty());
}

TEST(PainterCanvasBackgroundTest, PictureModesPlaceThePicture) {
  struct Case {
    int mode, pictureWidth, pictureHeight;
    RECT expected;  // in a 300 x 400 client area
  };
  const Case cases[] = {
      {2, 600, 400, {0, 100, 300, 300}},  // shrunk to 300 x 200, centred vertically
      {2, 100, 50, {100, 175, 200, 225}},  // never enlarged
      {0, 100, 50, {0, 0, 100, 50}},
      {3, 100, 50, {0, 0, 300, 400}},
      {1, 70, 90, {0, 0, 300, 400}},
  };
  for (const Case& c : cases) {
    TestWindow window(300, 400);
    PainterCanvas canvas;
    canvas.SetBackgroundColor(kWhite);
    canvas.SetBackgroundPicture(SolidPicture(c.pictureWidth, c.pictureHeight, RGB(20, 40, 160)));
    canvas.SetBackgroundPictureMode(c.mode);
    canvas.AttachWindow(window.Get());
    MemorySurface screen(300, 400, RGB(1, 2, 3));
    canvas.Paint(screen.Dc(), RECT{0, 0, 300, 400}, nullptr);
    EXPECT_TRUE(SameRect(InkBounds(screen.Dc(), RECT{0, 0, 300, 400}, kWhite), c.expected)) << "mode " << c.mode;
  }
}

TEST(PainterCanvasBackgroundTest, ClearCanvasRepaintsBackgroundAndResetsThePosition) {
  BufferedCanvas painter(64, 48);
  painter.canvas.SetBackgroundPicture(SolidPicture(16, 16, RGB(0, 0, 200)));
  painter.canvas.SetBackgroundPictureMode(0);
  painter.canvas.DrawPicture(SolidPicture(64, 48, RGB(200, 0, 0)), 0, 0, -1, -1);
  painter.canvas.SetCurrentPosition(9, 9);
  painter.canvas.ClearCanvas();
  EXPECT_EQ(GetPixel(painter.Buffer(), 5, 5), RGB(0, 0, 200));
  EXPECT_EQ(GetPixel(painter.Buffer(), 40, 40), kWhite);
  EXPECT_EQ(painter.canvas.CurrentPosition().x, 0);
  EXPECT_EQ(painter.canvas.CurrentPosition().y, 0);

  // Without a window nothing draws, and nothing fails.
  PainterCanvas detached;
  detached.DrawTextAt(0, 0, L"x", 0);
  detached.DrawPicture(SolidPicture(2, 2, 0), 0, 0, -1, -1);
  detached.ClearCanvas();
  EXPECT_EQ(detached.BackBufferDc(), nullptr);
}

}  // namespace
