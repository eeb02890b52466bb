#include "ui/painter_canvas.h"

#include <algorithm>
#include <cstdlib>

namespace {

constexpr BLENDFUNCTION kPixelAlphaBlend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
constexpr BLENDFUNCTION kOpaqueBlend{AC_SRC_OVER, 0, 255, 0};

// HALFTONE keeps stretched pictures smooth where the display has the colours for it.
int StretchModeForDisplay() {
  DEVMODEW mode{};
  mode.dmSize = sizeof(mode);
  if (EnumDisplaySettingsW(nullptr, ENUM_CURRENT_SETTINGS, &mode) && mode.dmBitsPerPel > 16) return HALFTONE;
  return COLORONCOLOR;
}

void SelectStockObjects(HDC dc) {
  SelectObject(dc, GetStockObject(BLACK_PEN));
  SelectObject(dc, GetStockObject(WHITE_BRUSH));
  SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
}

bool Intersects(const RECT& a, const RECT& b) {
  RECT common;
  return IntersectRect(&common, &a, &b) != FALSE;
}

// Draws with the picture's colour `key` left out: a monochrome mask of the key colour punches the picture's
// shape into the target between two XOR passes.
void BlitWithColorKey(HDC dc, HDC source, const CVolPicture& picture, int32_t x, int32_t y, int32_t width,
                      int32_t height, COLORREF key) {
  int pw = picture.Width(), ph = picture.Height();
  ScopedGdiObject<HBITMAP> maskBitmap(CreateBitmap(pw, ph, 1, 1, nullptr));
  ScopedMemoryDc maskDc(dc);
  if (!maskBitmap || !maskDc) return;
  ScopedSelection selectedMask(maskDc.Get(), maskBitmap.Get());
  if (!selectedMask.IsSelected()) return;
  // Copying to monochrome turns pixels of the source's background colour white and all others black.
  COLORREF oldSourceBack = SetBkColor(source, key);
  BitBlt(maskDc.Get(), 0, 0, pw, ph, source, 0, 0, SRCCOPY);
  SetBkColor(source, oldSourceBack);
  // A monochrome source maps white to the target's background colour and black to its text colour. The
  // passes cancel out only where they hit the same pixels, so no smoothing while stretching.
  COLORREF oldText = ::SetTextColor(dc, RGB(0, 0, 0));
  COLORREF oldBack = SetBkColor(dc, RGB(255, 255, 255));
  int oldStretch = SetStretchBltMode(dc, COLORONCOLOR);
  StretchBlt(dc, x, y, width, height, source, 0, 0, pw, ph, SRCINVERT);
  StretchBlt(dc, x, y, width, height, maskDc.Get(), 0, 0, pw, ph, SRCAND);
  StretchBlt(dc, x, y, width, height, source, 0, 0, pw, ph, SRCINVERT);
  SetStretchBltMode(dc, oldStretch);
  ::SetTextColor(dc, oldText);
  SetBkColor(dc, oldBack);
}

// Splits at CR, LF and CR LF; calls line(start, length) for each line, the last one included.
template <typename LineFn>
void ForEachLine(const wchar_t* text, LineFn line) {
  const wchar_t* start = text;
  const wchar_t* p = text;
  for (;; ++p) {
    if (*p != L'\r' && *p != L'\n' && *p != L'\0') continue;
    line(start, static_cast<int>(p - start));
    if (*p == L'\0') return;
    if (*p == L'\r' && p[1] == L'\n') ++p;
    start = p + 1;
  }
}

}  // namespace

// The canvas's state applied to one target DC for the duration of one drawing; stock objects afterwards.
class PainterCanvas::TargetState {
 public:
  TargetState(const PainterCanvas& canvas, HDC dc, bool forText) : m_dc(dc) {
    SetMapMode(dc, MM_TEXT);
    SetMapMode(dc, canvas.m_coordinateMode);
    SelectObject(dc, canvas.m_pen ? static_cast<HGDIOBJ>(canvas.m_pen.Get()) : GetStockObject(BLACK_PEN));
    SelectObject(dc, canvas.m_brush ? static_cast<HGDIOBJ>(canvas.m_brush.Get()) : GetStockObject(WHITE_BRUSH));
    SelectObject(dc, canvas.m_font ? static_cast<HGDIOBJ>(canvas.m_font.Get()) : GetStockObject(DEFAULT_GUI_FONT));
    ::SetTextColor(dc, forText ? canvas.m_textColor : canvas.m_lineColor);
    if (canvas.m_textBackground == kTransparentTextBackground) {
      SetBkMode(dc, TRANSPARENT);
      SetBkColor(dc, canvas.ResolvedBackgroundColor());
    } else {
      SetBkMode(dc, OPAQUE);
      SetBkColor(dc, static_cast<COLORREF>(canvas.m_textBackground));
    }
    SetROP2(dc, canvas.m_rasterMode + 1);
    int stretchMode = StretchModeForDisplay();
    SetStretchBltMode(dc, stretchMode);
    if (stretchMode == HALFTONE) SetBrushOrgEx(dc, 0, 0, nullptr);
    SetPolyFillMode(dc, WINDING);
  }
  ~TargetState() { SelectStockObjects(m_dc); }
  TargetState(const TargetState&) = delete;
  TargetState& operator=(const TargetState&) = delete;

 private:
  HDC m_dc;
};

PainterCanvas::BackBuffer::BackBuffer(HDC reference, SIZE size)
    : m_bitmap(CreateCompatibleBitmap(reference, size.cx, size.cy)), m_dc(reference), m_size(size) {
  if (m_bitmap && m_dc) m_previous = SelectObject(m_dc.Get(), m_bitmap.Get());
  if (m_previous == HGDI_ERROR) m_previous = nullptr;
}

PainterCanvas::BackBuffer::~BackBuffer() {
  // The bitmap leaves the DC before either is deleted.
  if (m_previous) SelectObject(m_dc.Get(), m_previous);
}

PainterCanvas::PainterCanvas() {
  SetBackgroundColor(kSystemButtonFace);
}

PainterCanvas::~PainterCanvas() = default;

void PainterCanvas::AttachWindow(HWND window) {
  m_window = window;
  m_buffer.reset();
  if (m_window && m_persistent) RebuildBackBuffer(false);
}

void PainterCanvas::SetBackgroundColor(uint32_t color) {
  m_backgroundColor = color;
  m_backgroundBrush.Reset(CreateSolidBrush(ResolvedBackgroundColor()));
}

COLORREF PainterCanvas::ResolvedBackgroundColor() const {
  return m_backgroundColor == kSystemButtonFace ? GetSysColor(COLOR_BTNFACE) : static_cast<COLORREF>(m_backgroundColor);
}

void PainterCanvas::SetBackgroundPicture(const CVolPicture& picture) {
  if (picture.IsValid()) {
    m_backgroundPicture = picture;
  } else {
    m_backgroundPicture.Clear();
  }
}

void PainterCanvas::SetBackgroundPictureMode(int32_t mode) {
  m_backgroundMode = mode >= 0 && mode <= 3 ? static_cast<BackgroundPictureMode>(mode) : BackgroundPictureMode::kTopLeft;
}

void PainterCanvas::SetPersistent(bool on) {
  m_persistent = on;
  if (!on) {
    m_buffer.reset();
  } else if (m_window && !m_buffer) {
    RebuildBackBuffer(false);
  }
}

void PainterCanvas::OnResized() {
  if (m_persistent && m_window) RebuildBackBuffer(true);
}

RECT PainterCanvas::ClientRect() const {
  RECT client{0, 0, 0, 0};
  if (m_window) GetClientRect(m_window, &client);
  return client;
}

void PainterCanvas::RebuildBackBuffer(bool keepOld) {
  RECT client = ClientRect();
  SIZE size{std::max<LONG>(client.right - client.left, 1), std::max<LONG>(client.bottom - client.top, 1)};
  ScopedWindowDc windowDc(m_window);
  auto buffer = std::make_unique<BackBuffer>(windowDc.Get(), size);
  if (!buffer->IsUsable()) return;  // the old buffer stays
  RECT area{0, 0, size.cx, size.cy};
  PaintBackground(buffer->Dc(), area, area);
  bool pictureMovesWithSize = m_backgroundPicture.IsValid() && m_backgroundMode == BackgroundPictureMode::kCentredFit;
  if (keepOld && m_buffer && !pictureMovesWithSize) {
    SIZE old = m_buffer->Size();
    BitBlt(buffer->Dc(), 0, 0, std::min(old.cx, size.cx), std::min(old.cy, size.cy), m_buffer->Dc(), 0, 0, SRCCOPY);
  }
  m_buffer = std::move(buffer);
}

void PainterCanvas::ForEachTarget(const std::function<void(HDC)>& draw) {
  if (!m_window) return;
  if (m_buffer) draw(m_buffer->Dc());
  if (m_paintDc) {
    draw(m_paintDc);
    return;
  }
  ScopedWindowDc windowDc(m_window);
  if (windowDc) draw(windowDc.Get());
}

void PainterCanvas::PaintBackground(HDC dc, const RECT& client, const RECT& area) const {
  ScopedSelection brush(dc, m_backgroundBrush.Get());
  PatBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, PATCOPY);
  DrawBackgroundPicture(dc, client, area);
}

void PainterCanvas::DrawBackgroundPicture(HDC dc, const RECT& client, const RECT& clip) const {
  const CVolPicture& picture = m_backgroundPicture;
  if (!picture.IsValid()) return;
  ScopedMemoryDc source(dc);
  ScopedSelection selected(source.Get(), picture.Bitmap());
  if (!selected.IsSelected()) return;
  const BLENDFUNCTION blend = picture.HasAlphaPixels() ? kPixelAlphaBlend : kOpaqueBlend;
  const int pw = picture.Width(), ph = picture.Height();
  const int wr = client.right - client.left, hr = client.bottom - client.top;
  auto put = [&](int x, int y, int w, int h) {
    if (w > 0 && h > 0) GdiAlphaBlend(dc, x, y, w, h, source.Get(), 0, 0, pw, ph, blend);
  };

  switch (m_backgroundMode) {
    case BackgroundPictureMode::kTopLeft:
      put(client.left, client.top, pw, ph);
      break;
    case BackgroundPictureMode::kTiled:
      for (int y = client.top; y < client.bottom; y += ph) {
        for (int x = client.left; x < client.right; x += pw) {
          if (Intersects(RECT{x, y, x + pw, y + ph}, clip)) put(x, y, pw, ph);
        }
      }
      break;
    case BackgroundPictureMode::kCentredFit: {
      int w = pw, h = ph;
      if (pw > wr || ph > hr) {
        // Shrink by the tighter of the two ratios, so the whole picture fits with its aspect ratio.
        double f = std::min(static_cast<double>(wr) / pw, static_cast<double>(hr) / ph);
        w = static_cast<int>(pw * f);
        h = static_cast<int>(ph * f);
      }
      int oldMode = SetStretchBltMode(dc, COLORONCOLOR);
      put(client.left + (wr - w) / 2, client.top + (hr - h) / 2, w, h);
      SetStretchBltMode(dc, oldMode);
      break;
    }
    case BackgroundPictureMode::kStretched: {
      int oldMode = SetStretchBltMode(dc, COLORONCOLOR);
      put(client.left, client.top, wr, hr);
      SetStretchBltMode(dc, oldMode);
      break;
    }
  }
}

void PainterCanvas::ClearCanvas() {
  RECT client = ClientRect();
  ForEachTarget([&](HDC dc) {
    SetMapMode(dc, MM_TEXT);
    PaintBackground(dc, client, client);
    SelectStockObjects(dc);
  });
  m_position = POINT{0, 0};
}

void PainterCanvas::DrawTextAt(int32_t x, int32_t y, const wchar_t* text, int32_t lineSpacing) {
  if (!text) return;
  const int left = x == kCurrentPosition ? m_position.x : x;
  const int top = y == kCurrentPosition ? m_position.y : y;
  const int gap = std::max(lineSpacing, 0);
  ForEachTarget([&](HDC dc) {
    TargetState state(*this, dc, true);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    int lineTop = top;
    ForEachLine(text, [&](const wchar_t* line, int length) {
      int height = metrics.tmHeight;
      if (length > 0) {
        TextOutW(dc, left, lineTop, line, length);
        SIZE extent{};
        if (GetTextExtentPoint32W(dc, line, length, &extent)) height = extent.cy;
      }
      lineTop += height + gap;
    });
  });
}

void PainterCanvas::DrawPicture(const CVolPicture& picture, int32_t x, int32_t y, int32_t width, int32_t height,
                                int64_t rasterOp) {
  BITMAP info{};
  if (!picture.IsValid() || !GetObjectW(picture.Bitmap(), sizeof(info), &info)) return;
  ForEachTarget([&](HDC dc) {
    TargetState state(*this, dc, false);
    // Work in device units: the position and the requested size go through the coordinate mode.
    POINT corners[2] = {{x, y}, {x + std::max(width, 0), y + std::max(height, 0)}};
    LPtoDP(dc, corners, 2);
    int w = width < 0 ? picture.Width() : std::abs(corners[1].x - corners[0].x);
    int h = height < 0 ? picture.Height() : std::abs(corners[1].y - corners[0].y);
    int saved = SaveDC(dc);
    SetMapMode(dc, MM_TEXT);
    SetWindowOrgEx(dc, 0, 0, nullptr);
    SetViewportOrgEx(dc, 0, 0, nullptr);
    BlitPicture(dc, picture, corners[0].x, corners[0].y, w, h, rasterOp);
    RestoreDC(dc, saved);
  });
}

void PainterCanvas::Paint(HDC dc, const RECT& clipBox, const PaintHandler& onPaint) {
  RECT client = ClientRect();
  RECT dirty;
  if (!IntersectRect(&dirty, &clipBox, &client)) return;

  if (m_buffer) {
    SIZE size = m_buffer->Size();
    RECT inside{0, 0, size.cx, size.cy};
    RECT copy;
    if (IntersectRect(&copy, &dirty, &inside)) {
      BitBlt(dc, copy.left, copy.top, copy.right - copy.left, copy.bottom - copy.top, m_buffer->Dc(), copy.left,
             copy.top, SRCCOPY);
    }
    return;
  }

  PaintBackground(dc, client, dirty);
  if (!onPaint) return;
  const POINT savedPosition = m_position;
  m_paintDc = dc;
  SetMapMode(dc, MM_TEXT);
  SetMapMode(dc, m_coordinateMode);
  POINT corners[2] = {{dirty.left, dirty.top}, {dirty.right, dirty.bottom}};
  DPtoLP(dc, corners, 2);
  onPaint(CVolRect(corners[0].x, corners[0].y, corners[1].x, corners[1].y));
  m_paintDc = nullptr;
  m_position = savedPosition;
}

void BlitPicture(HDC dc, const CVolPicture& picture, int32_t x, int32_t y, int32_t width, int32_t height,
                 int64_t rasterOp) {
  if (!picture.IsValid() || width <= 0 || height <= 0) return;
  ScopedMemoryDc source(dc);
  ScopedSelection selected(source.Get(), picture.Bitmap());
  if (!selected.IsSelected()) return;
  const int pw = picture.Width(), ph = picture.Height();
  if (rasterOp < 0) {
    BlitWithColorKey(dc, source.Get(), picture, x, y, width, height, static_cast<COLORREF>(-rasterOp));
  } else if (rasterOp == SRCCOPY && picture.HasAlphaPixels()) {
    GdiAlphaBlend(dc, x, y, width, height, source.Get(), 0, 0, pw, ph, kPixelAlphaBlend);
  } else {
    StretchBlt(dc, x, y, width, height, source.Get(), 0, 0, pw, ph, static_cast<DWORD>(rasterOp));
  }
}
