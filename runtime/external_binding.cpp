#include "runtime/external_binding.h"

#include <windows.h>

#include <cwchar>
#include <string>
#include <vector>

#include "runtime/paths.h"
#include "runtime/exception.h"
#include "runtime/scoped_handle.h"
#include "runtime/wide_string.h"

namespace {

ExternalFunctionEntry g_programTable[] = {
    {L"Bcrypt.dll", "BCryptDestroyHash", nullptr},
    {L"", "BCryptHashData", nullptr},
    {L"", "BCryptFinishHash", nullptr},
    {L"", "BCryptGetProperty", nullptr},
    {L"", "BCryptCreateHash", nullptr},
    {L"", "BCryptCloseAlgorithmProvider", nullptr},
    {L"", "BCryptOpenAlgorithmProvider", nullptr},
    {L"Kernel32.dll", "FindFirstFileW", nullptr},
    {L"", "FindNextFileW", nullptr},
    {L"", "FindClose", nullptr},
    {nullptr, nullptr, nullptr},
};

// The modules loaded so far: owned here, published as 8-byte handles in load order.
struct LoadedModules {
  std::vector<ScopedModule> owners;
  CVolMem handles;
};

LoadedModules& Modules() {
  static LoadedModules modules;
  return modules;
}

// The program's libraries are system libraries: named by their full path in the system folder, so a copy
// planted beside the executable (typically a downloads folder) or in the current directory is never the
// one loaded. Resolved once, on the first binding of the program's table; a name that cannot be resolved
// stays as it is.
void NameProgramLibrariesInSystemFolder() {
  static std::vector<std::wstring> resolved;  // the table points into these texts for the process's life
  if (!resolved.empty()) return;
  wchar_t folder[MAX_PATH] = {};
  const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return;
  size_t libraries = 0;
  for (const ExternalFunctionEntry* entry = g_programTable; entry->libraryName; ++entry) {
    libraries += entry->libraryName[0] != 0;
  }
  resolved.reserve(libraries);
  for (ExternalFunctionEntry* entry = g_programTable; entry->libraryName; ++entry) {
    if (entry->libraryName[0] == 0) continue;
    resolved.push_back(std::wstring(folder) + L"\\" + entry->libraryName);
    entry->libraryName = resolved.back().c_str();
  }
}

// Failure messages name a library by its file name, whatever folder the table gives.
CWString DisplayName(const CWString& library) {
  const wchar_t* slash = wcsrchr(library.GetText(), L'\\');
  return slash ? CWString(slash + 1) : library;
}

// The module that holds this code: the executable when the runtime is linked into it.
HMODULE OwnModule() {
  MEMORY_BASIC_INFORMATION info = {};
  if (VirtualQuery(reinterpret_cast<const void*>(&OwnModule), &info, sizeof info) == 0) return nullptr;
  return static_cast<HMODULE>(info.AllocationBase);
}

// Tries the program's folder first (the library's own folder becomes the current directory for its
// dependencies), then the folder with only the name's last component, then the system search order.
HMODULE LoadLibraryForBinding(const CWString& name, const CWString& programDirectory) {
  const bool directoryKnown = !programDirectory.IsEmpty();
  const CWString candidate = directoryKnown ? combinePath(programDirectory, name) : name;
  HMODULE module = LoadLibraryInOwnDirectory(candidate);
  if (!module && directoryKnown) {
    const wchar_t* slash = wcsrchr(name.GetText(), L'\\');
    if (slash) module = LoadLibraryInOwnDirectory(combinePath(programDirectory, CWString(slash + 1)));
  }
  if (!module && candidate.IsDifferent(name)) module = LoadLibraryInOwnDirectory(name);
  return module;
}

// '@' followed by decimal digits names an export ordinal; anything else is an export name. An ordinal
// that does not fit 16 bits cannot exist and resolves to nothing.
FARPROC ResolveFunction(HMODULE module, const char* name) {
  if (name[0] != '@') return GetProcAddress(module, name);
  unsigned long ordinal = 0;
  for (const char* p = name + 1; *p >= '0' && *p <= '9'; ++p) {
    ordinal = ordinal * 10 + static_cast<unsigned long>(*p - '0');
    if (ordinal > 0xFFFF) return nullptr;
  }
  if (ordinal == 0) return nullptr;
  return GetProcAddress(module, MAKEINTRESOURCEA(ordinal));
}

[[noreturn]] void ThrowLibraryNotLoaded(const CWString& library) {
  CWString message;
  message.Format(L"载入运行时所需要的外部动态链接库文件\"%s\"失败!", DisplayName(library).GetText());
  throw CVolException(message);
}

[[noreturn]] void ThrowFunctionNotFound(const CWString& library, const char* function) {
  CWString functionName;
  functionName.AddUtf8(function);
  CWString message;
  message.Format(L"在外部动态链接库\"%s\"中未找到所需要的输出函数\"%s\"!", DisplayName(library).GetText(),
                 functionName.GetText());
  throw CVolException(message);
}

}  // namespace

ExternalFunctionEntry* ProgramBindingTable() {
  return g_programTable;
}

bool BindExternalFunctions() {
  NameProgramLibrariesInSystemFolder();
  return BindExternalFunctions(g_programTable);
}

bool BindExternalFunctions(ExternalFunctionEntry* table) {
  CWString programDirectory;
  // Without the program's folder only the plain names are tried.
  if (!moduleDirectory(OwnModule(), programDirectory)) programDirectory.Clear();

  CWString currentLibrary;
  HMODULE currentModule = nullptr;
  for (ExternalFunctionEntry* entry = table; entry->libraryName; ++entry) {
    if (entry->libraryName[0] != 0) {
      const CWString name(entry->libraryName);
      currentModule = LoadLibraryForBinding(name, programDirectory);
      if (currentModule) {
        Modules().owners.emplace_back(currentModule);
        Modules().handles.AppendBytes(&currentModule, sizeof currentModule);
      }
      currentLibrary = name;
    }
    if (!currentModule) ThrowLibraryNotLoaded(currentLibrary);
    entry->address = reinterpret_cast<void*>(ResolveFunction(currentModule, entry->functionName));
    if (!entry->address) ThrowFunctionNotFound(currentLibrary, entry->functionName);
  }
  return true;
}

void FreeExternalModules() {
  LoadedModules& modules = Modules();
  modules.handles.Clear();
  modules.owners.clear();
}

const CVolMem& LoadedExternalModules() {
  return Modules().handles;
}
