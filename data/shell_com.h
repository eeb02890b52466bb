// A new shell link object for the shell operations (with the runtime's ComPtr and ComApartment).
#pragma once

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "runtime/com_ptr.h"

// A new shell link object and its persist-file interface (COM must be initialised); false when either
// cannot be had.
inline bool CreateShellLink(ComPtr<IShellLinkW>& link, ComPtr<IPersistFile>& file) {
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              reinterpret_cast<void**>(link.Receive())))) {
    return false;
  }
  return SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.Receive())));
}
