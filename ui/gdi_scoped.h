// Scoped owners for GDI handles: an owned object (DeleteObject), a memory DC (DeleteDC), a window DC
// (ReleaseDC) and a selection that puts the previous object back. Move-only; a null handle owns nothing.
#pragma once

#include <windows.h>

#include <utility>

// An owned GDI object (bitmap, brush, pen, font, region) of type T.
template <typename T>
class ScopedGdiObject {
 public:
  ScopedGdiObject() = default;
  explicit ScopedGdiObject(T handle) : m_handle(handle) {}
  ~ScopedGdiObject() { Reset(); }
  ScopedGdiObject(ScopedGdiObject&& other) noexcept : m_handle(other.Take()) {}
  ScopedGdiObject& operator=(ScopedGdiObject&& other) noexcept {
    if (this != &other) Reset(other.Take());
    return *this;
  }
  ScopedGdiObject(const ScopedGdiObject&) = delete;
  ScopedGdiObject& operator=(const ScopedGdiObject&) = delete;

  T Get() const { return m_handle; }
  explicit operator bool() const { return m_handle != nullptr; }
  // Deletes the object held and holds `handle` instead.
  void Reset(T handle = nullptr) {
    if (m_handle && m_handle != handle) DeleteObject(m_handle);
    m_handle = handle;
  }
  // Gives the handle away without deleting it.
  T Take() { return std::exchange(m_handle, nullptr); }

 private:
  T m_handle = nullptr;
};

// A memory DC compatible with `reference` (null: the screen), deleted with the object.
class ScopedMemoryDc {
 public:
  ScopedMemoryDc() = default;
  explicit ScopedMemoryDc(HDC reference) : m_dc(CreateCompatibleDC(reference)) {}
  ~ScopedMemoryDc() {
    if (m_dc) DeleteDC(m_dc);
  }
  ScopedMemoryDc(ScopedMemoryDc&& other) noexcept : m_dc(std::exchange(other.m_dc, nullptr)) {}
  ScopedMemoryDc& operator=(ScopedMemoryDc&& other) noexcept {
    std::swap(m_dc, other.m_dc);
    return *this;
  }
  ScopedMemoryDc(const ScopedMemoryDc&) = delete;
  ScopedMemoryDc& operator=(const ScopedMemoryDc&) = delete;

  HDC Get() const { return m_dc; }
  explicit operator bool() const { return m_dc != nullptr; }

 private:
  HDC m_dc = nullptr;
};

// The client-area DC of a window, released with the object.
class ScopedWindowDc {
 public:
  explicit ScopedWindowDc(HWND window) : m_window(window), m_dc(window ? GetDC(window) : nullptr) {}
  ~ScopedWindowDc() {
    if (m_dc) ReleaseDC(m_window, m_dc);
  }
  ScopedWindowDc(const ScopedWindowDc&) = delete;
  ScopedWindowDc& operator=(const ScopedWindowDc&) = delete;

  HDC Get() const { return m_dc; }
  explicit operator bool() const { return m_dc != nullptr; }

 private:
  HWND m_window;
  HDC m_dc;
};

// Selects an object into a DC and selects the previous one back when the scope ends.
class ScopedSelection {
 public:
  ScopedSelection(HDC dc, HGDIOBJ object) : m_dc(dc), m_previous(dc && object ? SelectObject(dc, object) : nullptr) {}
  ~ScopedSelection() {
    if (m_previous && m_previous != HGDI_ERROR) SelectObject(m_dc, m_previous);
  }
  ScopedSelection(const ScopedSelection&) = delete;
  ScopedSelection& operator=(const ScopedSelection&) = delete;

  // False when the object could not be selected.
  bool IsSelected() const { return m_previous && m_previous != HGDI_ERROR; }

 private:
  HDC m_dc;
  HGDIOBJ m_previous;
};
