// The drawing side of a painter window: its background (colour, brush, picture and picture mode), an
// optional persistent back buffer, the drawing attributes (pen, brush, font, colours, text background,
// raster and coordinate modes, current position) and the operations that use them.
//
// Drawing targets: an operation draws on the back buffer when there is one, then on the window: on the
// paint DC while a paint event runs, otherwise on a DC from GetDC. Before drawing on a target the canvas
// applies its state to the DC (map mode MM_TEXT, then the coordinate mode; pen, brush and font, stock
// objects where unset; text colour; text background; raster, stretch and fill modes); afterwards the stock
// pen, brush and font are selected again, so the canvas's own objects are never left in a DC.
//
// Without a window nothing is drawn. The canvas belongs to the thread that owns its window.
#pragma once

#include <windows.h>

#include <climits>
#include <cstdint>
#include <functional>
#include <memory>

#include "runtime/value_structures.h"
#include "runtime/wide_string.h"
#include "ui/gdi_scoped.h"
#include "ui/picture.h"

// How the background picture fills the client area.
enum class BackgroundPictureMode : int32_t {
  kTopLeft = 0,     // natural size at the top-left corner
  kTiled = 1,       // repeated from the top-left corner
  kCentredFit = 2,  // centred, shrunk to fit (never enlarged), aspect ratio kept
  kStretched = 3,   // stretched over the whole area
};

class PainterCanvas {
 public:
  // Background colour meaning the system's button-face colour.
  static constexpr uint32_t kSystemButtonFace = 0xFF000000;
  // Text background meaning "transparent".
  static constexpr int64_t kTransparentTextBackground = -1;
  // DrawTextAt coordinate meaning "the current position's".
  static constexpr int kCurrentPosition = INT_MAX;
  // DrawPicture raster operation: SRCCOPY blends pictures with alpha; a negative value -c draws the picture
  // with colour c transparent.
  static constexpr int64_t kCopy = SRCCOPY;

  // Receives the dirty rectangle, in logical units, when the window paints without a back buffer.
  using PaintHandler = std::function<void(const CVolRect& dirty)>;

  PainterCanvas();
  ~PainterCanvas();
  PainterCanvas(const PainterCanvas&) = delete;
  PainterCanvas& operator=(const PainterCanvas&) = delete;

  // The window drawn on. Attaching builds the back buffer when persistence was asked for; null detaches
  // and drops the back buffer.
  void AttachWindow(HWND window);
  HWND Window() const { return m_window; }

  // --- Background ---
  // RGB (COLORREF), or kSystemButtonFace.
  void SetBackgroundColor(uint32_t color);
  uint32_t BackgroundColor() const { return m_backgroundColor; }
  // The colour the background brush paints with.
  COLORREF ResolvedBackgroundColor() const;
  // Keeps a copy of `picture` (an invalid picture removes it).
  void SetBackgroundPicture(const CVolPicture& picture);
  const CVolPicture& BackgroundPicture() const { return m_backgroundPicture; }
  // Values outside the four modes are stored as kTopLeft.
  void SetBackgroundPictureMode(int32_t mode);
  BackgroundPictureMode BackgroundPictureModeValue() const { return m_backgroundMode; }

  // --- Back buffer ---
  // On: creates the back buffer (once there is a window); off: drops it.
  void SetPersistent(bool on);
  bool IsPersistent() const { return m_persistent; }
  // The back buffer's DC and size; null and 0 x 0 without a back buffer.
  HDC BackBufferDc() const { return m_buffer ? m_buffer->Dc() : nullptr; }
  SIZE BackBufferSize() const { return m_buffer ? m_buffer->Size() : SIZE{0, 0}; }
  // The window's client area changed size: a persistent canvas rebuilds its buffer, keeping what it can.
  void OnResized();

  // --- Drawing attributes ---
  // The canvas takes ownership; null returns to the stock BLACK_PEN, WHITE_BRUSH, DEFAULT_GUI_FONT.
  void AdoptPen(HPEN pen) { m_pen.Reset(pen); }
  void AdoptBrush(HBRUSH brush) { m_brush.Reset(brush); }
  void AdoptFont(HFONT font) { m_font.Reset(font); }
  // Text colour for shapes and for text output.
  void SetLineColor(COLORREF color) { m_lineColor = color; }
  void SetTextColor(COLORREF color) { m_textColor = color; }
  COLORREF TextColor() const { return m_textColor; }
  // kTransparentTextBackground, or an opaque background colour.
  void SetTextBackground(int64_t color) { m_textBackground = color; }
  // 0-based: applied as SetROP2(mode + 1).
  void SetRasterMode(int32_t mode) { m_rasterMode = mode; }
  // A map mode (MM_TEXT ... MM_ANISOTROPIC), applied before every drawing.
  void SetCoordinateMode(int32_t mode) { m_coordinateMode = mode; }
  void SetCurrentPosition(int32_t x, int32_t y) { m_position = POINT{x, y}; }
  POINT CurrentPosition() const { return m_position; }

  // --- Operations ---
  // Fills the client area with the background on every target, draws the background picture and moves the
  // current position to the client origin.
  void ClearCanvas();
  // Draws text at (x, y) (kCurrentPosition takes that coordinate from the current position). Lines are
  // separated by CR, LF or CR LF; each next line starts at the same x, one line height plus `lineSpacing`
  // (negative counts as 0) lower. The current position does not move.
  void DrawTextAt(int32_t x, int32_t y, const wchar_t* text, int32_t lineSpacing);
  void DrawTextAt(int32_t x, int32_t y, const CWString& text, int32_t lineSpacing) {
    DrawTextAt(x, y, text.GetText(), lineSpacing);
  }
  // Draws a picture at (x, y); a negative width or height means the picture's own. Nothing without a valid
  // picture.
  void DrawPicture(const CVolPicture& picture, int32_t x, int32_t y, int32_t width, int32_t height,
                   int64_t rasterOp = kCopy);

  // WM_PAINT: `clipBox` is the paint DC's clip box. With a back buffer the dirty part of it is copied to
  // `dc` and nothing else runs; otherwise the dirty part is filled with the background and `onPaint` (may
  // be empty) draws, with `dc` as the window target.
  void Paint(HDC dc, const RECT& clipBox, const PaintHandler& onPaint);

 private:
  class BackBuffer {
   public:
    BackBuffer(HDC reference, SIZE size);
    ~BackBuffer();
    BackBuffer(const BackBuffer&) = delete;
    BackBuffer& operator=(const BackBuffer&) = delete;
    bool IsUsable() const { return m_previous != nullptr; }
    HDC Dc() const { return m_dc.Get(); }
    SIZE Size() const { return m_size; }

   private:
    ScopedGdiObject<HBITMAP> m_bitmap;
    ScopedMemoryDc m_dc;
    HGDIOBJ m_previous = nullptr;
    SIZE m_size;
  };
  class TargetState;

  // Makes a new back buffer of the client size (at least 1 x 1), with background; with keepOld the old
  // content is copied over it.
  void RebuildBackBuffer(bool keepOld);
  RECT ClientRect() const;
  // Calls draw(dc) on each target: the back buffer, then the window.
  void ForEachTarget(const std::function<void(HDC)>& draw);
  // Fills `area` with the background brush and draws the background picture inside `client` (device units).
  void PaintBackground(HDC dc, const RECT& client, const RECT& area) const;
  void DrawBackgroundPicture(HDC dc, const RECT& client, const RECT& clip) const;

  HWND m_window = nullptr;
  uint32_t m_backgroundColor = kSystemButtonFace;
  ScopedGdiObject<HBRUSH> m_backgroundBrush;
  CVolPicture m_backgroundPicture;
  BackgroundPictureMode m_backgroundMode = BackgroundPictureMode::kTopLeft;
  bool m_persistent = false;
  std::unique_ptr<BackBuffer> m_buffer;
  ScopedGdiObject<HPEN> m_pen;
  ScopedGdiObject<HBRUSH> m_brush;
  ScopedGdiObject<HFONT> m_font;
  COLORREF m_lineColor = RGB(0, 0, 0);
  COLORREF m_textColor = RGB(0, 0, 0);
  int64_t m_textBackground = kTransparentTextBackground;
  int32_t m_rasterMode = R2_COPYPEN - 1;
  int32_t m_coordinateMode = MM_TEXT;
  POINT m_position{0, 0};
  HDC m_paintDc = nullptr;
};

// Draws `picture` at (x, y, width, height) in device units of `dc`: per-pixel alpha for 32-bit pictures
// under SRCCOPY, StretchBlt with `rasterOp` otherwise, colour -rasterOp transparent when it is negative.
void BlitPicture(HDC dc, const CVolPicture& picture, int32_t x, int32_t y, int32_t width, int32_t height,
                 int64_t rasterOp);
