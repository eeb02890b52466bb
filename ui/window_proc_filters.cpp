#include "ui/window_proc_filters.h"

#include <algorithm>

void CVolWindowProcFilters::Add(IWindowProcFilter* filter) {
  if (!filter || std::find(m_filters.begin(), m_filters.end(), filter) != m_filters.end()) return;
  m_filters.insert(m_filters.begin(), filter);
}

void CVolWindowProcFilters::Remove(IWindowProcFilter* filter) {
  m_filters.erase(std::remove(m_filters.begin(), m_filters.end(), filter), m_filters.end());
}

bool CVolWindowProcFilters::Run(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  if (m_filters.empty()) return false;
  // A snapshot, so filters may change the list; a filter removed meanwhile is skipped.
  const std::vector<IWindowProcFilter*> snapshot = m_filters;
  for (IWindowProcFilter* filter : snapshot) {
    if (std::find(m_filters.begin(), m_filters.end(), filter) == m_filters.end()) continue;
    if (filter->FilterMessage(window, message, wParam, lParam, result)) return true;
  }
  return false;
}
