#include "data/shell_link.h"

#include "runtime/paths.h"
#include "data/shell_com.h"

bool createShortcut(const CWString& target, const CWString& linkPath, const CWString& icon,
                    const CWString& description, const CWString& arguments, const CWString& workingDirectory) {
  ComApartment apartment;
  ComPtr<IShellLinkW> link;
  ComPtr<IPersistFile> file;
  if (!CreateShellLink(link, file)) return false;

  link->SetPath(target.GetText());
  link->SetWorkingDirectory(workingDirectory.IsEmpty() ? directoryOf(target).GetText()
                                                       : workingDirectory.GetText());
  if (!arguments.IsEmpty()) link->SetArguments(arguments.GetText());
  if (!icon.IsEmpty()) link->SetIconLocation(icon.GetText(), 0);
  link->SetHotkey(0);
  link->SetShowCmd(SW_SHOWNORMAL);
  if (!description.IsEmpty()) link->SetDescription(description.GetText());
  return SUCCEEDED(file->Save(linkPath.GetText(), FALSE));
}
