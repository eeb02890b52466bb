#include "ui/picture.h"

#include <objidl.h>

#include <gdiplus.h>

#include <cstring>
#include <memory>
#include <vector>

#include "runtime/wide_string.h"
#include "ui/gdi_scoped.h"
#include "ui/gdiplus_session.h"

using namespace Gdiplus::DllExports;

namespace {

constexpr int kMaxColorTable = 256;

// Owners of the temporaries of one decode.
struct GdiplusImageDeleter {
  void operator()(Gdiplus::GpImage* image) const { GdipDisposeImage(image); }
};
using GdiplusBitmapPtr = std::unique_ptr<Gdiplus::GpBitmap, GdiplusImageDeleter>;

struct GdiplusGraphicsDeleter {
  void operator()(Gdiplus::GpGraphics* graphics) const { GdipDeleteGraphics(graphics); }
};
using GdiplusGraphicsPtr = std::unique_ptr<Gdiplus::GpGraphics, GdiplusGraphicsDeleter>;

struct ComReleaser {
  void operator()(IUnknown* object) const { object->Release(); }
};
using StreamPtr = std::unique_ptr<IStream, ComReleaser>;

// Bits held in a GDI+ bitmap for reading; unlocked when the object goes.
class LockedBits {
 public:
  LockedBits(Gdiplus::GpBitmap* bitmap, int width, int height, Gdiplus::PixelFormat format) : m_bitmap(bitmap) {
    Gdiplus::GpRect rect(0, 0, width, height);
    m_locked = GdipBitmapLockBits(bitmap, &rect, Gdiplus::ImageLockModeRead, format, &m_data) == Gdiplus::Ok;
  }
  ~LockedBits() {
    if (m_locked) GdipBitmapUnlockBits(m_bitmap, &m_data);
  }
  LockedBits(const LockedBits&) = delete;
  LockedBits& operator=(const LockedBits&) = delete;

  bool IsLocked() const { return m_locked; }
  const uint8_t* Row(int y) const { return static_cast<const uint8_t*>(m_data.Scan0) + ptrdiff_t(m_data.Stride) * y; }

 private:
  Gdiplus::GpBitmap* m_bitmap;
  Gdiplus::BitmapData m_data{};
  bool m_locked = false;
};

// A read-only IStream over a private movable copy of the bytes (the stream frees the block).
StreamPtr StreamOverCopy(const void* bytes, size_t size) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
  if (!block) return nullptr;
  void* target = GlobalLock(block);
  if (!target) {
    GlobalFree(block);
    return nullptr;
  }
  memcpy(target, bytes, size);
  GlobalUnlock(block);
  IStream* stream = nullptr;
  if (FAILED(CreateStreamOnHGlobal(block, TRUE, &stream)) || !stream) {
    GlobalFree(block);
    return nullptr;
  }
  return StreamPtr(stream);
}

bool IsIndexedFormat(Gdiplus::PixelFormat format) {
  return (format & PixelFormatIndexed) != 0 && Gdiplus::GetPixelFormatSize(format) < 32;
}

bool HasAlphaChannel(Gdiplus::PixelFormat format) {
  return (format & (PixelFormatAlpha | PixelFormatPAlpha)) != 0;
}

// The palette of an indexed image; empty when it has none. False when it cannot be read or is too large.
bool ReadPalette(Gdiplus::GpImage* image, std::vector<Gdiplus::ARGB>& entries, bool& hasAlpha) {
  entries.clear();
  hasAlpha = false;
  INT bytes = 0;
  if (GdipGetImagePaletteSize(image, &bytes) != Gdiplus::Ok) return false;
  if (bytes < static_cast<INT>(sizeof(Gdiplus::ColorPalette))) return true;
  std::vector<uint8_t> buffer(static_cast<size_t>(bytes));
  auto* palette = reinterpret_cast<Gdiplus::ColorPalette*>(buffer.data());
  if (GdipGetImagePalette(image, palette, bytes) != Gdiplus::Ok) return false;
  if (palette->Count > kMaxColorTable) return false;
  size_t available = (buffer.size() - offsetof(Gdiplus::ColorPalette, Entries)) / sizeof(Gdiplus::ARGB);
  if (palette->Count > available) return false;
  entries.assign(palette->Entries, palette->Entries + palette->Count);
  hasAlpha = (palette->Flags & Gdiplus::PaletteFlagsHasAlpha) != 0;
  return true;
}

bool WriteColorTable(HBITMAP bitmap, const RGBQUAD* entries, UINT count) {
  if (count == 0) return true;
  // A DIB's colour table is reached through a DC it is selected into.
  ScopedMemoryDc dc(nullptr);
  ScopedSelection selected(dc.Get(), bitmap);
  return selected.IsSelected() && SetDIBColorTable(dc.Get(), 0, count, entries) == count;
}

bool WriteColorTable(HBITMAP bitmap, const std::vector<Gdiplus::ARGB>& entries) {
  std::vector<RGBQUAD> table(entries.size());
  for (size_t i = 0; i < entries.size(); ++i) {
    Gdiplus::ARGB c = entries[i];
    table[i] = RGBQUAD{static_cast<BYTE>(c), static_cast<BYTE>(c >> 8), static_cast<BYTE>(c >> 16), 0};
  }
  return WriteColorTable(bitmap, table.data(), static_cast<UINT>(table.size()));
}

// Scales each colour byte by its pixel's alpha, so per-pixel-alpha blending can add pixels directly.
void Premultiply(CVolPicture& picture) {
  for (int y = 0; y < picture.Height(); ++y) {
    uint8_t* pixel = picture.Row(y);
    for (int x = 0; x < picture.Width(); ++x, pixel += 4) {
      int alpha = pixel[3];
      if (alpha == 255) continue;
      for (int c = 0; c < 3; ++c) pixel[c] = static_cast<uint8_t>(MulDiv(pixel[c], alpha, 255));
    }
  }
}

// Source and target formats agree: copy the rows as they are.
bool CopyRows(Gdiplus::GpBitmap* source, Gdiplus::PixelFormat format, CVolPicture& target) {
  LockedBits bits(source, target.Width(), target.Height(), format);
  if (!bits.IsLocked()) return false;
  size_t rowBytes = (static_cast<size_t>(target.BitsPerPixel()) * target.Width() + 7) / 8;
  for (int y = 0; y < target.Height(); ++y) memcpy(target.Row(y), bits.Row(y), rowBytes);
  return true;
}

// Formats differ: let GDI+ convert by drawing the image, unscaled, onto a bitmap over the DIB's own bits.
bool DrawInto(Gdiplus::GpImage* source, Gdiplus::PixelFormat format, CVolPicture& target) {
  Gdiplus::GpBitmap* raw = nullptr;
  if (GdipCreateBitmapFromScan0(target.Width(), target.Height(), static_cast<INT>(target.Stride()), format,
                                target.FirstRow(), &raw) != Gdiplus::Ok || !raw) {
    return false;
  }
  GdiplusBitmapPtr surface(raw);
  Gdiplus::GpGraphics* rawGraphics = nullptr;
  if (GdipGetImageGraphicsContext(surface.get(), &rawGraphics) != Gdiplus::Ok || !rawGraphics) return false;
  GdiplusGraphicsPtr graphics(rawGraphics);
  GdipSetCompositingMode(graphics.get(), Gdiplus::CompositingModeSourceCopy);
  return GdipDrawImageRectI(graphics.get(), source, 0, 0, target.Width(), target.Height()) == Gdiplus::Ok;
}

bool Decode(const void* bytes, size_t size, CVolPicture& picture) {
  StreamPtr stream = StreamOverCopy(bytes, size);
  if (!stream || !EnsureGdiplusStarted()) return false;
  Gdiplus::GpBitmap* raw = nullptr;
  if (GdipCreateBitmapFromStream(stream.get(), &raw) != Gdiplus::Ok || !raw) return false;
  GdiplusBitmapPtr bitmap(raw);

  UINT width = 0, height = 0;
  Gdiplus::PixelFormat sourceFormat = 0;
  if (GdipGetImageWidth(bitmap.get(), &width) != Gdiplus::Ok ||
      GdipGetImageHeight(bitmap.get(), &height) != Gdiplus::Ok ||
      GdipGetImagePixelFormat(bitmap.get(), &sourceFormat) != Gdiplus::Ok) {
    return false;
  }

  std::vector<Gdiplus::ARGB> palette;
  bool paletteHasAlpha = false;
  bool indexed = IsIndexedFormat(sourceFormat);
  if (indexed && !ReadPalette(bitmap.get(), palette, paletteHasAlpha)) return false;

  // An indexed picture with transparent palette entries cannot keep its palette: GDI draws DIB colour
  // tables opaque, so it goes the way of every picture with alpha.
  Gdiplus::PixelFormat targetFormat;
  if (HasAlphaChannel(sourceFormat) || paletteHasAlpha) {
    targetFormat = PixelFormat32bppARGB;
  } else if (indexed) {
    targetFormat = sourceFormat;
  } else {
    targetFormat = PixelFormat24bppRGB;
  }

  if (width > INT32_MAX || height > INT32_MAX) return false;
  if (!picture.MakeDib(static_cast<int>(width), static_cast<int>(height),
                       static_cast<int>(Gdiplus::GetPixelFormatSize(targetFormat)))) {
    return false;
  }
  if (targetFormat == sourceFormat) {
    if (indexed && !WriteColorTable(picture.Bitmap(), palette)) return false;
    if (!CopyRows(bitmap.get(), targetFormat, picture)) return false;
  } else if (!DrawInto(bitmap.get(), targetFormat, picture)) {
    return false;
  }
  if (targetFormat == PixelFormat32bppARGB) Premultiply(picture);
  return true;
}

}  // namespace

CVolPicture::CVolPicture(const CVolPicture& other) : CVolObject(other) {
  CopyFrom(other);
}

CVolPicture& CVolPicture::operator=(const CVolPicture& other) {
  if (this != &other) {
    CVolPicture copy(other);
    Swap(copy);
  }
  return *this;
}

CVolPicture::CVolPicture(CVolPicture&& other) noexcept : CVolObject(other) {
  Swap(other);
}

CVolPicture& CVolPicture::operator=(CVolPicture&& other) noexcept {
  if (this != &other) {
    Clear();
    CVolObject::operator=(other);
    Swap(other);
  }
  return *this;
}

CVolPicture::~CVolPicture() {
  Clear();
}

bool CVolPicture::operator==(const CVolPicture& o) const {
  if (!HeaderEquals(o)) return false;
  if (IsValid() != o.IsValid()) return false;
  if (!IsValid()) return true;
  if (m_width != o.m_width || m_height != o.m_height || m_bitsPerPixel != o.m_bitsPerPixel) return false;
  if (m_bitsPerPixel <= 8) {
    RGBQUAD mine[kMaxColorTable], theirs[kMaxColorTable];
    UINT mineCount = 0, theirCount = 0;
    if (!ReadColorTable(mine, 0, kMaxColorTable, &mineCount) ||
        !o.ReadColorTable(theirs, 0, kMaxColorTable, &theirCount) || mineCount != theirCount ||
        memcmp(mine, theirs, mineCount * sizeof(RGBQUAD)) != 0) {
      return false;
    }
  }
  size_t rowBytes = (static_cast<size_t>(m_bitsPerPixel) * m_width + 7) / 8;
  for (int y = 0; y < m_height; ++y) {
    if (memcmp(Row(y), o.Row(y), rowBytes) != 0) return false;
  }
  return true;
}

void CVolPicture::ToText(CWString& out, int) const {
  out.AddFormat(L"{ 宽度: %d; 高度: %d; 位深: %d }", m_width, m_height, m_bitsPerPixel);
}

bool CVolPicture::MakeDib(int width, int height, int bitsPerPixel) {
  Clear();
  switch (bitsPerPixel) {
    case 1: case 4: case 8: case 16: case 24: case 32: break;
    default: return false;
  }
  if (width <= 0 || height <= 0) return false;
  int64_t stride = ((int64_t{bitsPerPixel} * width + 31) / 32) * 4;
  if (stride * height > INT32_MAX) return false;

  // The header and, for depths up to 8, a colour table of 256 zero entries.
  struct {
    BITMAPINFOHEADER header;
    RGBQUAD colors[kMaxColorTable];
  } info{};
  info.header.biSize = sizeof(BITMAPINFOHEADER);
  info.header.biWidth = width;
  info.header.biHeight = height;
  info.header.biPlanes = 1;
  info.header.biBitCount = static_cast<WORD>(bitsPerPixel);
  info.header.biCompression = BI_RGB;
  void* bits = nullptr;
  ScopedGdiObject<HBITMAP> bitmap(
      CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap || !bits) return false;
  DIBSECTION section{};
  if (GetObjectW(bitmap.Get(), sizeof(section), &section) != sizeof(section)) return false;
  m_bitmap = std::move(bitmap);
  m_width = width;
  m_height = height;
  m_bitsPerPixel = bitsPerPixel;
  // A positive height in the section's header means rows are stored bottom-up.
  if (section.dsBmih.biHeight > 0) {
    m_stride = -static_cast<ptrdiff_t>(stride);
    m_firstRow = static_cast<uint8_t*>(bits) + stride * (height - 1);
  } else {
    m_stride = static_cast<ptrdiff_t>(stride);
    m_firstRow = static_cast<uint8_t*>(bits);
  }
  return true;
}

bool CVolPicture::LoadPictureFromMemory(const void* bytes, size_t size) {
  if (!bytes || size == 0) return false;
  CVolPicture decoded;
  if (!Decode(bytes, size, decoded)) return false;
  Swap(decoded);
  return true;
}

bool CVolPicture::LoadPictureFromResource(int resourceId, HMODULE module) {
  if (!module) module = GetModuleHandleW(nullptr);
  HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(resourceId), MAKEINTRESOURCEW(10));  // RT_RCDATA
  if (!resource) return false;
  DWORD size = SizeofResource(module, resource);
  HGLOBAL loaded = LoadResource(module, resource);
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  return bytes && LoadPictureFromMemory(bytes, size);
}

void CVolPicture::Clear() {
  m_bitmap.Reset();
  m_width = m_height = m_bitsPerPixel = 0;
  m_firstRow = nullptr;
  m_stride = 0;
}

bool CVolPicture::ReadColorTable(RGBQUAD* entries, UINT first, UINT count, UINT* copied) const {
  if (copied) *copied = 0;
  if (!m_bitmap || m_bitsPerPixel > 8) return false;
  ScopedMemoryDc dc(nullptr);
  ScopedSelection selected(dc.Get(), m_bitmap.Get());
  if (!selected.IsSelected()) return false;
  UINT n = GetDIBColorTable(dc.Get(), first, count, entries);
  if (copied) *copied = n;
  return true;
}

void CVolPicture::Swap(CVolPicture& other) noexcept {
  std::swap(m_bitmap, other.m_bitmap);
  std::swap(m_width, other.m_width);
  std::swap(m_height, other.m_height);
  std::swap(m_bitsPerPixel, other.m_bitsPerPixel);
  std::swap(m_firstRow, other.m_firstRow);
  std::swap(m_stride, other.m_stride);
}

bool CVolPicture::CopyFrom(const CVolPicture& other) {
  if (!other.IsValid()) return true;
  if (!MakeDib(other.m_width, other.m_height, other.m_bitsPerPixel)) return false;
  if (m_bitsPerPixel <= 8) {
    RGBQUAD table[kMaxColorTable];
    UINT count = 0;
    if (!other.ReadColorTable(table, 0, kMaxColorTable, &count) || !WriteColorTable(m_bitmap.Get(), table, count)) {
      Clear();
      return false;
    }
  }
  for (int y = 0; y < m_height; ++y) memcpy(Row(y), other.Row(y), RowBytes());
  return true;
}
