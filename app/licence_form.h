// LicenceForm: the licence window, opened from the installer window's licence link. An ordinary fixed-size
// window (caption with a close box, the application title) holding one read-only multi-line edit box that
// shows the licence text fetched with the configuration. Modeless; opened again after it was closed.
#pragma once

#include "app/installer_state.h"
#include "ui/edit.h"
#include "ui/win_form.h"

class LicenceForm : public CVolWinForm {
  VOL_CLASS_IDENTITY(LicenceForm, CVolWinForm, "LicenceForm")
 public:
  static constexpr int32_t kWidth = 600;
  static constexpr int32_t kHeight = 420;

  // Showing the process-wide state's licence, or `state`'s.
  LicenceForm() : LicenceForm(TheInstallerState()) {}
  explicit LicenceForm(InstallerState& state) : m_state(state) {}
  ~LicenceForm() override { BeginDestruction(); }

  int32_t DefaultClientWidth() override { return kWidth; }
  int32_t DefaultClientHeight() override { return kHeight; }
  // Binds the created event and makes the read-only edit box (black on white, vertical scroll bar).
  void CreatedHook() override;
  // Fills the edit box with the licence text current at this moment.
  void onLicenceFormCreated();

  CVolEdit edit;

 private:
  InstallerState& m_state;
};

// The licence as the edit box shows it: lone line feeds (a licence written on Unix) become CR LF, since a
// multi-line edit box breaks lines only there.
CWString LicenceDisplayText(const CWString& licence);
