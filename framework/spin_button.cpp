#include "framework/spin_button.h"

bool SpinButton::CreateSpin(DWORD style, const RECT& rect, HWND parent, UINT id) {
  return CreateEx(0, UPDOWN_CLASSW, L"", style, rect.left, rect.top, rect.right - rect.left,
                  rect.bottom - rect.top, parent, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)));
}

void SpinButton::SetRange(int lower, int upper) {
  if (Exists()) Send(UDM_SETRANGE32, static_cast<WPARAM>(lower), upper);
}

void SpinButton::GetRange(int* lower, int* upper) const {
  int l = 0, u = 0;
  if (Exists()) Send(UDM_GETRANGE32, reinterpret_cast<WPARAM>(&l), reinterpret_cast<LPARAM>(&u));
  if (lower) *lower = l;
  if (upper) *upper = u;
}

LRESULT SpinButton::OnDeltaPosition(const NMUPDOWN&) {
  return 0;
}

bool SpinButton::OnReflectedMessage(UINT message, WPARAM, LPARAM lParam, LRESULT* result) {
  if (message != WM_NOTIFY) return false;
  const auto* header = reinterpret_cast<const NMHDR*>(lParam);
  if (header->code != UDN_DELTAPOS) return false;
  *result = OnDeltaPosition(*reinterpret_cast<const NMUPDOWN*>(lParam));
  return true;
}
