// A picture held as a DIB section, ready to be drawn with GDI: decoded once (PNG and every other format
// GDI+ reads), then each paint is one GdiAlphaBlend or StretchBlt.
//
// Pictures with an alpha channel become 32-bit DIBs of premultiplied pixels (what per-pixel-alpha drawing
// needs); indexed pictures keep their depth and palette; everything else becomes 24-bit. Rows are
// presented top to bottom whatever the DIB's orientation: for a bottom-up DIB, FirstRow() is the last
// row in memory and Stride() is negative.
//
// A picture belongs to one thread at a time; copies own their own DIB.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "runtime/object.h"
#include "runtime/scoped_handle.h"

class CVolPicture : public CVolObject {
  VOL_VALUE_CLASS(CVolPicture, CVolObject, "CVolPicture")

 public:
  CVolPicture() = default;
  CVolPicture(const CVolPicture& other);
  CVolPicture& operator=(const CVolPicture& other);
  CVolPicture(CVolPicture&& other) noexcept;
  CVolPicture& operator=(CVolPicture&& other) noexcept;
  ~CVolPicture() override;

  // Equal when both are empty, or have the same size, depth, palette and pixels.
  bool operator==(const CVolPicture& other) const;
  void ToText(CWString& out, int limit = 0) const override;

  // Makes a new zero-filled DIB section (bottom-up, 1 plane; depths up to 8 get a 256-entry colour table of
  // zeros), deleting the previous one first. False, and an empty picture, when the size or depth is not
  // usable or the section cannot be created.
  bool MakeDib(int width, int height, int bitsPerPixel);

  // Decodes an image held in memory. On failure (empty or unreadable data, GDI+ not starting, a palette of
  // more than 256 entries, no memory) returns false and keeps the picture it had.
  bool LoadPictureFromMemory(const void* bytes, size_t size);

  // Decodes an RCDATA resource of `module` (null: the executable). False, keeping the old picture, when the
  // resource is missing or cannot be decoded.
  bool LoadPictureFromResource(int resourceId, HMODULE module = nullptr);

  // Deletes the DIB section.
  void Clear();

  bool IsValid() const { return m_bitmap.IsValid(); }
  HBITMAP Bitmap() const { return m_bitmap.Get(); }
  int Width() const { return m_width; }
  int Height() const { return m_height; }
  int BitsPerPixel() const { return m_bitsPerPixel; }
  // Bytes from one row to the next row below it; negative for a bottom-up DIB.
  ptrdiff_t Stride() const { return m_stride; }
  // Bytes of pixel data in one row: ((bits per pixel * width + 31) / 32) * 4.
  size_t RowBytes() const { return static_cast<size_t>(m_stride < 0 ? -m_stride : m_stride); }
  uint8_t* FirstRow() const { return m_firstRow; }
  // Row `y` counted from the top; y must be inside the picture.
  uint8_t* Row(int y) const { return m_firstRow + m_stride * y; }
  // True for a 32-bit DIB, whose pixels are premultiplied BGRA and are drawn with per-pixel alpha.
  bool HasAlphaPixels() const { return m_bitmap.IsValid() && m_bitsPerPixel == 32; }

  // The colour table of an indexed picture (up to 256 entries); false for other depths.
  bool ReadColorTable(RGBQUAD* entries, UINT first, UINT count, UINT* copied) const;

 private:
  void Swap(CVolPicture& other) noexcept;
  bool CopyFrom(const CVolPicture& other);

  ScopedGdiObject<HBITMAP> m_bitmap;
  int m_width = 0;
  int m_height = 0;
  int m_bitsPerPixel = 0;
  uint8_t* m_firstRow = nullptr;
  ptrdiff_t m_stride = 0;
};
