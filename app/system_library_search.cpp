#include "app/system_library_search.h"

#include <windows.h>

bool SearchLibrariesInSystemFolderOnly() {
  return SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32) != FALSE;
}
