#include "ui/folder_browser.h"

#include <shlobj.h>

#include "runtime/com_ptr.h"

CWString browseForFolder(const CWString& title, HWND owner) {
  ComApartment apartment;
  wchar_t displayName[MAX_PATH] = {};
  BROWSEINFOW request = {};
  request.hwndOwner = owner && IsWindow(owner) ? owner : nullptr;
  request.pszDisplayName = displayName;
  request.lpszTitle = title.GetText();
  request.ulFlags = BIF_EDITBOX;
  PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&request);
  if (!chosen) return CWString();

  CWString result;
  wchar_t path[MAX_PATH] = {};
  if (SHGetPathFromIDListW(chosen, path)) result = CWString(path);
  ComPtr<IMalloc> allocator;
  if (SUCCEEDED(SHGetMalloc(allocator.Receive()))) allocator->Free(chosen);
  return result;
}
