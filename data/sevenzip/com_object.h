// The reference counting and interface lookup of the objects this wrapper hands to the codec library
// (held through the runtime's ComPtr).
#pragma once

#include <windows.h>

#include <unknwn.h>

#include <atomic>
#include <type_traits>
#include <utility>

#include "runtime/com_ptr.h"

namespace sevenzip {

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
