// SpinButton: the common controls' up-down ("spin") control as a framework window. Its UDN_DELTAPOS
// notification goes to the parent as WM_NOTIFY and is reflected back to the object (see FrameworkWindow),
// where OnDeltaPosition handles it. Needs the common controls initialised (InitCommonControlsEx).
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "framework/window.h"

class SpinButton : public FrameworkWindow {
 public:
  bool CreateSpin(DWORD style, const RECT& rect, HWND parent, UINT id);

  // Lower and upper bound; the up arrow moves towards `upper`.
  void SetRange(int lower, int upper);
  void GetRange(int* lower, int* upper) const;

 protected:
  // The user clicked an arrow: `delta` is the proposed change (+1 up, -1 down with a rising range).
  // Returns the notification result (non-zero refuses the change). The base accepts it.
  virtual LRESULT OnDeltaPosition(const NMUPDOWN& change);

  bool OnReflectedMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
};
