// InstallerForm: the installer's one window, a borderless 600 x 400 form titled "TonvexaAI".
#pragma once

#include "ui/win_form.h"

class InstallerForm : public CVolWinForm {
  VOL_CLASS_IDENTITY(InstallerForm, CVolWinForm, "InstallerForm")
 public:
  static constexpr int32_t kWidth = 600;
  static constexpr int32_t kHeight = 400;

  // Title "TonvexaAI" (shown on the taskbar button), no control box and no border.
  InstallerForm();
  ~InstallerForm() override { BeginDestruction(); }

  int32_t DefaultClientWidth() override { return kWidth; }
  int32_t DefaultClientHeight() override { return kHeight; }
};
