// COM helpers for the shell operations: an owner that releases an interface, and a COM apartment held
// for one call.
#pragma once

#include <objbase.h>

#include <memory>

struct ComReleaser {
  void operator()(IUnknown* object) const { object->Release(); }
};
template <typename Interface>
using ComPtr = std::unique_ptr<Interface, ComReleaser>;

// Initialises COM for the calling thread (single-threaded apartment) and uninitialises it when it goes,
// but only when the initialisation counted: a thread already in another apartment is left as it is.
class ComApartment {
 public:
  ComApartment() : m_initialised(SUCCEEDED(CoInitialize(nullptr))) {}
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
  ~ComApartment() {
    if (m_initialised) CoUninitialize();
  }

 private:
  bool m_initialised;
};
