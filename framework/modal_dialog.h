// Modal dialogs from an in-memory template.
//
// RunModalDialog builds a dialog template without controls in memory, creates the dialog with a framework
// window object attached to it (so the object sees every message, WM_CREATE included), places it at the
// given pixel rectangle, disables the owner and runs a modal message loop until EndModalDialog is called for
// it (or the dialog window disappears). The loop offers each message to the application's
// PreTranslateMessage, then to IsDialogMessage, then dispatches it. The dialog is destroyed before
// RunModalDialog returns, the owner enabled again and made active. IDOK and IDCANCEL commands that reach
// the dialog's default processing end it with that result.
//
// Thread: the user-interface thread; modal dialogs may nest.
#pragma once

#include <windows.h>

#include <string>

#include "framework/window.h"

struct ModalDialogLayout {
  DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
  DWORD exStyle = 0;
  int x = 0, y = 0, width = 0, height = 0;  // pixels, window rectangle
  std::wstring title;
};

// Runs `window` (which must not have a window yet) as a modal dialog owned by `owner` (may be null).
// False when the dialog could not be created; otherwise *result (optional) receives the result given to
// EndModalDialog.
bool RunModalDialog(FrameworkWindow& window, const ModalDialogLayout& layout, HWND owner, INT_PTR* result = nullptr);

// Ends the modal loop of `dialog` with `result`; false when `dialog` runs no modal loop on this thread.
bool EndModalDialog(HWND dialog, INT_PTR result);

// True when `dialog` is running a modal loop started by RunModalDialog on this thread.
bool IsRunningModal(HWND dialog);
