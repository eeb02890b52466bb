// Owning pointers to COM-style interfaces, and the reference counting and interface lookup of the objects
// this wrapper hands to the codec library.
#pragma once

#include <windows.h>

#include <unknwn.h>

#include <atomic>
#include <type_traits>
#include <utility>

namespace sevenzip {

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

// Creates an object with its first reference owned by the result.
template <typename T, typename... Args>
ComPtr<T> MakeComObject(Args&&... args) {
  return ComPtr<T>::Adopt(new T(std::forward<Args>(args)...));
}

// Implements IUnknown for an object exposing `Interfaces` (each with kIid and Parent, see interfaces.h);
// a query for an interface's parent is answered with that interface too.
template <typename... Interfaces>
class ComObject : public Interfaces... {
 public:
  ComObject() = default;
  ComObject(const ComObject&) = delete;
  ComObject& operator=(const ComObject&) = delete;
  virtual ~ComObject() = default;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (!(Find<Interfaces>(iid, object) || ...)) {
      if (!IsEqualGUID(iid, IID_IUnknown)) return E_NOINTERFACE;
      *object = static_cast<IUnknown*>(static_cast<FirstInterface*>(this));
    }
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++m_references; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --m_references;
    if (left == 0) delete this;
    return left;
  }

 private:
  template <typename First, typename...>
  struct FirstOf {
    using Type = First;
  };
  using FirstInterface = typename FirstOf<Interfaces...>::Type;

  // Whether `Interface` or one of the interfaces it extends has the identifier `iid`.
  template <typename Interface>
  static bool Extends(REFIID iid) {
    if constexpr (std::is_same_v<Interface, IUnknown>) {
      return false;
    } else {
      return IsEqualGUID(iid, Interface::kIid) || Extends<typename Interface::Parent>(iid);
    }
  }
  template <typename Interface>
  bool Find(REFIID iid, void** object) {
    if (!Extends<Interface>(iid)) return false;
    *object = static_cast<Interface*>(this);
    return true;
  }

  std::atomic<ULONG> m_references{1};
};

}  // namespace sevenzip
