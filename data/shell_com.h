// COM helpers for the shell operations: an owner that releases an interface, a COM apartment held for one
// call, and a new shell link object.
#pragma once

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

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

// A new shell link object and its persist-file interface (COM must be initialised); false when either
// cannot be had.
inline bool CreateShellLink(ComPtr<IShellLinkW>& link, ComPtr<IPersistFile>& file) {
  IShellLinkW* rawLink = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              reinterpret_cast<void**>(&rawLink)))) {
    return false;
  }
  link.reset(rawLink);
  IPersistFile* rawFile = nullptr;
  if (FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&rawFile)))) return false;
  file.reset(rawFile);
  return true;
}
