#include "data/shell_link.h"

#include <shlobj.h>
#include <shobjidl.h>

#include "data/paths.h"
#include "data/shell_com.h"

bool createShortcut(const CWString& target, const CWString& linkPath, const CWString& icon,
                    const CWString& description, const CWString& arguments, const CWString& workingDirectory) {
  ComApartment apartment;
  IShellLinkW* rawLink = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              reinterpret_cast<void**>(&rawLink)))) {
    return false;
  }
  ComPtr<IShellLinkW> link(rawLink);
  IPersistFile* rawFile = nullptr;
  if (FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&rawFile)))) return false;
  ComPtr<IPersistFile> file(rawFile);

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
