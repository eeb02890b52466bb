// Scoped GDI helpers: an owned object (ScopedGdiObject, the runtime's handle owner), a new memory DC
// (DeleteDC), a window DC (ReleaseDC) and a selection that puts the previous object back. A null handle owns
// nothing.
#pragma once

#include <windows.h>

#include <utility>

#include "runtime/scoped_handle.h"

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
