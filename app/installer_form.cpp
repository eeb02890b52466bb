#include "app/installer_form.h"

InstallerForm::InstallerForm() {
  SetTitle(CWString(L"TonvexaAI"));
  SetControlBox(false);
  SetBorderStyle(CVWnd_WinForm::kNoBorder);
}
