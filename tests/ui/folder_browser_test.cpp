// The folder browser as the user meets it: a real dialog, answered through its own messages.
#include "ui/folder_browser.h"

#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <future>
#include <string>


namespace {

constexpr wchar_t kTitle[] = L"请选择安装目录";

struct Search {
  HWND dialog = nullptr;
};

BOOL CALLBACK HasTitleText(HWND child, LPARAM found) {
  wchar_t text[64] = {};
  GetWindowTextW(child, text, 64);
  if (std::wstring(text) == kTitle) *reinterpret_cast<bool*>(found) = true;
  return TRUE;
}

BOOL CALLBACK FindBrowser(HWND window, LPARAM param) {
  wchar_t className[16] = {};
  GetClassNameW(window, className, 16);
  bool titled = false;
  if (IsWindowVisible(window) && std::wstring(className) == L"#32770") {
    EnumChildWindows(window, HasTitleText, reinterpret_cast<LPARAM>(&titled));
  }
  if (!titled) return TRUE;
  reinterpret_cast<Search*>(param)->dialog = window;
  return FALSE;
}

// The browser shown by thread `threadId` with our title, polled for up to 30 s.
HWND WaitForBrowser(DWORD threadId) {
  for (int waited = 0; waited < 30000; waited += 50) {
    Search search;
    EnumThreadWindows(threadId, FindBrowser, reinterpret_cast<LPARAM>(&search));
    if (search.dialog) return search.dialog;
    Sleep(50);
  }
  return nullptr;
}

// Runs browseForFolder on its own thread (with an owner window of that thread when `withOwner`) and
// answers the dialog with `answer`.
struct Outcome {
  std::wstring path;
  bool ownerMatched = false;
};

template <typename Answer>
Outcome Browse(bool withOwner, Answer answer) {
  std::promise<DWORD> threadId;
  HWND owner = nullptr;
  auto result = std::async(std::launch::async, [&] {
    if (withOwner) owner = CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    threadId.set_value(GetCurrentThreadId());
    std::wstring path = browseForFolder(CWString(kTitle), owner).GetText();
    if (owner) DestroyWindow(owner);
    return path;
  });
  Outcome outcome;
  const HWND dialog = WaitForBrowser(threadId.get_future().get());
  EXPECT_NE(dialog, nullptr) << "no folder browser with the title appeared";
  if (!dialog) return outcome;  // the thread stays blocked; the process ends it
  outcome.ownerMatched = GetWindow(dialog, GW_OWNER) == owner;
  answer(dialog);
  outcome.path = result.get();
  return outcome;
}

TEST(FolderBrowser, CancelGivesEmptyText) {
  const Outcome outcome = Browse(false, [](HWND dialog) { PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0); });
  EXPECT_EQ(outcome.path, L"");
  EXPECT_TRUE(outcome.ownerMatched);
}

TEST(FolderBrowser, ChosenFolderComesBackAsItsPath) {
  wchar_t windows[MAX_PATH] = {};
  ASSERT_GT(GetWindowsDirectoryW(windows, MAX_PATH), 0u);
  const std::wstring folder = windows;
  const Outcome outcome = Browse(true, [&](HWND dialog) {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(dialog, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(folder.c_str()), SMTO_NORMAL,
                        10000, &ignored);
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  });
  EXPECT_EQ(outcome.path, folder);
  EXPECT_TRUE(outcome.ownerMatched);
}

TEST(FolderBrowser, ItemOutsideTheFileSystemGivesEmptyText) {
  PIDLIST_ABSOLUTE computer = nullptr;
  ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &computer), S_OK);
  const Outcome outcome = Browse(false, [&](HWND dialog) {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(dialog, BFFM_SETSELECTIONW, FALSE, reinterpret_cast<LPARAM>(computer), SMTO_NORMAL, 10000,
                        &ignored);
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  });
  CoTaskMemFree(computer);
  EXPECT_EQ(outcome.path, L"");
}

}  // namespace
