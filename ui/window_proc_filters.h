// Window-procedure filters: objects that see a runtime window's messages before its control does.
// A filter is added and removed with the private messages kAddFilterMessage / kRemoveFilterMessage
// (wParam = the filter, lParam = kRuntimeWindowMarker); the newest filter is asked first and the first one
// that handles a message decides its result. The window does not own its filters: whoever adds a filter
// removes it before destroying it. The list is emptied when the window is destroyed.
#pragma once

#include <windows.h>

#include <vector>

#include "runtime/object.h"

class IWindowProcFilter {
 public:
  // True when the filter handled the message; *result is then the message's result.
  virtual bool FilterMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) = 0;

 protected:
  ~IWindowProcFilter() = default;
};

class CVolWindowProcFilters : public CVolCommonBase {
 public:
  // Puts `filter` first; a filter already in the list is not added twice.
  void Add(IWindowProcFilter* filter);
  void Remove(IWindowProcFilter* filter);
  void Clear() { m_filters.clear(); }
  bool IsEmpty() const { return m_filters.empty(); }
  size_t Count() const { return m_filters.size(); }

  // Offers the message to the filters, newest first; true when one handled it. Filters may add or remove
  // filters (themselves included) while they run.
  bool Run(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

 private:
  std::vector<IWindowProcFilter*> m_filters;  // newest first
};
