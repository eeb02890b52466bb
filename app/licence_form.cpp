#include "app/licence_form.h"

namespace {

int RelayCreated(CVolObject* self, CVolObject*, int32_t) {
  static_cast<LicenceForm*>(self)->onLicenceFormCreated();
  return 0;
}

}  // namespace

void LicenceForm::CreatedHook() {
  BindEvent(kCreated, &RelayCreated, EventHolder());
  edit.SetTextColor(0x000000);
  edit.SetBackColor(0xFFFFFF);
  edit.SetMultiLine(true);
  edit.SetScrollBars(CVWnd_Edit::kVertical);
  edit.SetInputMode(CVWnd_Edit::kReadOnly);
  edit.CreateChild(*this, 0, 0, kWidth, kHeight, 101);
}

void LicenceForm::onLicenceFormCreated() {
  CWString licence;
  {
    LockGuard guard(m_state.lock);
    licence = m_state.licenceText;
  }
  edit.SetTitle(LicenceDisplayText(licence));
}

CWString LicenceDisplayText(const CWString& licence) {
  CWString shown;
  const wchar_t* text = licence.GetText();
  const int64_t length = licence.GetLength();
  for (int64_t i = 0; i < length; ++i) {
    if (text[i] == L'\n' && (i == 0 || text[i - 1] != L'\r')) shown.AddChar(L'\r');
    shown.AddChar(text[i]);
  }
  return shown;
}
