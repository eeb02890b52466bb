#include "app/safe_names.h"

#include <cwctype>
#include <string>

namespace {

bool IsSeparator(wchar_t c) {
  return c == L'\\' || c == L'/';
}

// Windows maps these names to devices in every folder, whatever extension follows and with trailing spaces
// or full stops ignored.
bool IsReservedDeviceName(const std::wstring& component) {
  std::wstring base = component.substr(0, component.find(L'.'));
  while (!base.empty() && (base.back() == L' ' || base.back() == L'.')) base.pop_back();
  for (wchar_t& c : base) c = static_cast<wchar_t>(std::towupper(c));
  static const wchar_t* const kDevices[] = {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"};
  for (const wchar_t* device : kDevices) {
    if (base == device) return true;
  }
  return base.size() == 4 && (base.compare(0, 3, L"COM") == 0 || base.compare(0, 3, L"LPT") == 0) &&
         base[3] >= L'1' && base[3] <= L'9';
}

// ".." climbs out; Windows also drops trailing full stops and spaces, so "..." or ".. " may do the same.
bool IsParentStep(const std::wstring& component) {
  return component.find(L"..") != std::wstring::npos && component.find_first_not_of(L". ") == std::wstring::npos;
}

bool IsSafeComponent(const std::wstring& component) {
  return !IsParentStep(component) && !IsReservedDeviceName(component);
}

}  // namespace

bool IsPlainFileName(const CWString& name) {
  const std::wstring text(name.GetText());
  if (text.empty()) return true;
  if (text.find_first_of(L"\\/:") != std::wstring::npos) return false;
  return text != L"." && IsSafeComponent(text);
}

bool IsContainedRelativePath(const CWString& path) {
  const std::wstring text(path.GetText());
  if (text.empty()) return true;
  if (IsSeparator(text[0]) || text.find(L':') != std::wstring::npos) return false;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = start;
    while (end < text.size() && !IsSeparator(text[end])) ++end;
    if (!IsSafeComponent(text.substr(start, end - start))) return false;
    start = end + 1;
  }
  return true;
}
