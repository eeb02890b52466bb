#include "data/sevenzip/item_path.h"

#include <cwctype>
#include <vector>

namespace sevenzip {

namespace {

bool IsSeparator(wchar_t c) {
  return c == L'/' || c == L'\\' || c == kStoredBackslash;
}

// CON, PRN, AUX, NUL, COM1-9, LPT1-9 (also with superscript digits), CONIN$ and CONOUT$, with or without
// an extension: Windows opens the device instead of a file of that name.
bool IsReservedDeviceName(const std::wstring& component) {
  std::wstring stem = component.substr(0, component.find(L'.'));
  while (!stem.empty() && stem.back() == L' ') stem.pop_back();
  for (auto& c : stem) c = static_cast<wchar_t>(std::towupper(c));
  if (stem == L"CON" || stem == L"PRN" || stem == L"AUX" || stem == L"NUL" || stem == L"CONIN$" ||
      stem == L"CONOUT$") {
    return true;
  }
  if (stem.size() == 4 && (stem.compare(0, 3, L"COM") == 0 || stem.compare(0, 3, L"LPT") == 0)) {
    const wchar_t digit = stem[3];
    return (digit >= L'1' && digit <= L'9') || digit == L'\u00B9' || digit == L'\u00B2' || digit == L'\u00B3';
  }
  return false;
}

bool IsStorableName(const std::wstring& component) {
  bool onlyDotsAndSpaces = true;
  for (wchar_t c : component) {
    if (c < 0x20 || c == L'<' || c == L'>' || c == L'"' || c == L'|' || c == L'?' || c == L'*') return false;
    if (c != L'.' && c != L' ') onlyDotsAndSpaces = false;
  }
  // "...", ". ", ".. ": Windows would trim them into "." or "..".
  return !onlyDotsAndSpaces;
}

}  // namespace

ItemPathProblem ResolveItemPath(const std::wstring& itemPath, std::wstring& relative) {
  relative.clear();
  if (!itemPath.empty() && IsSeparator(itemPath[0])) return ItemPathProblem::kAbsolute;
  if (itemPath.find(L':') != std::wstring::npos) return ItemPathProblem::kDriveOrDevice;

  std::vector<std::wstring> parts;
  size_t start = 0;
  while (start <= itemPath.size()) {
    size_t end = start;
    while (end < itemPath.size() && !IsSeparator(itemPath[end])) ++end;
    const std::wstring component = itemPath.substr(start, end - start);
    start = end + 1;
    if (component.empty() || component == L".") continue;
    if (component == L"..") {
      if (parts.empty()) return ItemPathProblem::kOutsideDestination;
      parts.pop_back();
      continue;
    }
    if (IsReservedDeviceName(component)) return ItemPathProblem::kDriveOrDevice;
    if (!IsStorableName(component)) return ItemPathProblem::kInvalidName;
    parts.push_back(component);
  }
  for (const auto& part : parts) {
    if (!relative.empty()) relative += L'\\';
    relative += part;
  }
  return ItemPathProblem::kNone;
}

const char* DescribeItemPathProblem(ItemPathProblem problem) {
  switch (problem) {
    case ItemPathProblem::kNone:
      return "is safe";
    case ItemPathProblem::kAbsolute:
      return "is an absolute path";
    case ItemPathProblem::kDriveOrDevice:
      return "names a drive, stream or device";
    case ItemPathProblem::kOutsideDestination:
      return "leads outside the destination folder";
    case ItemPathProblem::kInvalidName:
      return "is not a valid file name";
  }
  return "is not allowed";
}

}  // namespace sevenzip
