#include "framework/modal_dialog.h"

#include <vector>

#include "framework/application.h"

namespace {

struct ModalLoop {
  HWND dialog = nullptr;
  bool ended = false;
  INT_PTR result = -1;
  const ModalDialogLayout* layout = nullptr;
  ModalLoop* outer = nullptr;
};

thread_local ModalLoop* t_innermostLoop = nullptr;

ModalLoop* FindLoop(HWND dialog) {
  for (ModalLoop* loop = t_innermostLoop; loop; loop = loop->outer) {
    if (loop->dialog == dialog) return loop;
  }
  return nullptr;
}

// An extended dialog template with no controls; the size is set in pixels once the dialog exists, since
// templates measure in dialog units.
std::vector<WORD> BuildTemplate(const ModalDialogLayout& layout) {
  std::vector<WORD> words;
  auto addDword = [&words](DWORD value) {
    words.push_back(LOWORD(value));
    words.push_back(HIWORD(value));
  };
  words.push_back(1);       // dlgVer
  words.push_back(0xFFFF);  // signature: extended template
  addDword(0);              // helpID
  addDword(layout.exStyle);
  addDword(layout.style & ~static_cast<DWORD>(DS_SETFONT | DS_SHELLFONT));  // no font block follows
  words.push_back(0);  // no controls
  words.push_back(0);  // x
  words.push_back(0);  // y
  words.push_back(0);  // cx
  words.push_back(0);  // cy
  words.push_back(0);  // no menu
  words.push_back(0);  // the system dialog class
  for (wchar_t c : layout.title) words.push_back(static_cast<WORD>(c));
  words.push_back(0);
  return words;
}

INT_PTR CALLBACK DialogProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      const auto* layout = reinterpret_cast<const ModalDialogLayout*>(lParam);
      SetWindowPos(dialog, nullptr, layout->x, layout->y, layout->width, layout->height,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      return TRUE;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        EndModalDialog(dialog, LOWORD(wParam));
        return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace

bool RunModalDialog(FrameworkWindow& window, const ModalDialogLayout& layout, HWND owner, INT_PTR* result) {
  if (window.Exists()) return false;
  const std::vector<WORD> dialogTemplate = BuildTemplate(layout);
  const bool ownerWasEnabled = owner && IsWindowEnabled(owner);
  if (ownerWasEnabled) EnableWindow(owner, FALSE);

  ModalLoop loop;
  loop.layout = &layout;
  loop.outer = t_innermostLoop;
  t_innermostLoop = &loop;
  const bool created = window.CreateThrough([&] {
    return CreateDialogIndirectParamW(FrameworkApp::Instance(),
                                      reinterpret_cast<LPCDLGTEMPLATEW>(dialogTemplate.data()), owner,
                                      &DialogProcedure, reinterpret_cast<LPARAM>(&layout));
  });
  // The record is found by handle; the handle is known only now (EndModalDialog during creation is kept).
  const bool endedDuringCreation = loop.ended;
  loop.dialog = window.Handle();
  if (endedDuringCreation) loop.ended = true;

  if (created) {
    MSG message;
    while (!loop.ended && IsWindow(loop.dialog)) {
      const BOOL got = GetMessageW(&message, nullptr, 0, 0);
      if (got <= 0) {
        PostQuitMessage(static_cast<int>(message.wParam));  // leave the quit for the outer loop
        break;
      }
      FrameworkApp* app = FrameworkApp::Current();
      if (app && app->PreTranslateMessage(&message)) continue;
      if (IsWindow(loop.dialog) && IsDialogMessageW(loop.dialog, &message)) continue;
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  t_innermostLoop = loop.outer;

  if (ownerWasEnabled) EnableWindow(owner, TRUE);
  if (owner && IsWindow(owner) && window.Exists() && GetActiveWindow() == window.Handle()) SetActiveWindow(owner);
  window.DestroyWindow();
  if (created && result) *result = loop.result;
  return created;
}

bool EndModalDialog(HWND dialog, INT_PTR result) {
  ModalLoop* loop = FindLoop(dialog);
  if (!loop && t_innermostLoop && !t_innermostLoop->dialog) loop = t_innermostLoop;  // still being created
  if (!loop) return false;
  loop->ended = true;
  loop->result = result;
  PostMessageW(dialog, WM_NULL, 0, 0);  // wake the loop
  return true;
}

bool IsRunningModal(HWND dialog) {
  return dialog && FindLoop(dialog) != nullptr;
}
