// ComPtr: the owner of one reference to a COM interface, released when replaced or destroyed; and
// ComApartment: the calling thread's COM apartment held for a scope.
#pragma once

#include <objbase.h>

#include <cstddef>
#include <type_traits>
#include <utility>

// Holds one reference to an interface; releases it when replaced or destroyed.
template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(std::nullptr_t) {}
  // Takes over a reference the caller already owns (a freshly created object, an out-parameter).
  static ComPtr Adopt(T* pointer) {
    ComPtr result;
    result.m_pointer = pointer;
    return result;
  }
  ComPtr(const ComPtr& other) : m_pointer(other.m_pointer) {
    if (m_pointer) m_pointer->AddRef();
  }
  // From a pointer to a derived object or interface.
  template <typename U, typename = std::enable_if_t<std::is_convertible_v<U*, T*>>>
  ComPtr(const ComPtr<U>& other) : m_pointer(other.Get()) {
    if (m_pointer) m_pointer->AddRef();
  }
  ComPtr(ComPtr&& other) noexcept : m_pointer(std::exchange(other.m_pointer, nullptr)) {}
  ComPtr& operator=(ComPtr other) noexcept {
    std::swap(m_pointer, other.m_pointer);
    return *this;
  }
  ~ComPtr() { Reset(); }

  void Reset() {
    if (T* pointer = std::exchange(m_pointer, nullptr)) pointer->Release();
  }
  // For out-parameters: releases the current reference and returns the slot to fill.
  T** Receive() {
    Reset();
    return &m_pointer;
  }
  // A new reference for an out-parameter the library will own.
  T* AddRefForCaller() const {
    if (m_pointer) m_pointer->AddRef();
    return m_pointer;
  }

  T* Get() const { return m_pointer; }
  T* operator->() const { return m_pointer; }
  explicit operator bool() const { return m_pointer != nullptr; }

 private:
  T* m_pointer = nullptr;
};

// Initialises COM for the calling thread (single-threaded apartment) and uninitialises it when it goes,
// but only when the initialisation counted: a thread already in another apartment is left as it is.
class ComApartment {
 public:
  ComApartment() : m_initialised(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
  ~ComApartment() {
    if (m_initialised) CoUninitialize();
  }

 private:
  bool m_initialised;
};
