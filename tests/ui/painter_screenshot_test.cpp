// The painter on screen: a window paints the installer's background, close button, install button,
// ticked checkbox and a Chinese text; the X server's copy of the window is captured with ImageMagick and
// checked pixel by pixel. The capture stays in build/test-artifacts/painter_screenshot.png.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <string>
#include <thread>

#include "resources/resource_ids.h"
#include "support/test_environment.h"
#include "support/unix_process.h"
#include "ui/painter_canvas.h"
#include "ui/picture.h"

namespace {

constexpr int kWidth = 600;
constexpr int kHeight = 400;

struct Scene {
  CVolPicture background, closeButton, installButton, checkbox;
  bool Load() {
    return background.LoadPictureFromResource(IDR_PICTURE_BACKGROUND) &&
           closeButton.LoadPictureFromResource(IDR_PICTURE_CLOSE_NORMAL) &&
           installButton.LoadPictureFromResource(IDR_PICTURE_INSTALL_NORMAL) &&
           checkbox.LoadPictureFromResource(IDR_PICTURE_CHECKBOX_ON);
  }
};

// Keeps the window procedure's view of the scene.
struct ScreenWindow {
  PainterCanvas canvas;
  Scene* scene = nullptr;
  int paints = 0;
};

LRESULT CALLBACK ScreenWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<ScreenWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (message == WM_PAINT && self) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    RECT clip;
    GetClipBox(dc, &clip);
    self->canvas.Paint(dc, clip, [self](const CVolRect&) {
      PainterCanvas& c = self->canvas;
      c.DrawPicture(self->scene->background, 0, 0, kWidth, kHeight);
      c.DrawPicture(self->scene->closeButton, 551, 10, 39, 20);
      c.DrawPicture(self->scene->installButton, 229, 260, 142, 38);
      c.DrawPicture(self->scene->checkbox, 20, 340, 18, 18);
      c.SetTextColor(RGB(0, 0, 0));
      c.DrawTextAt(40, 343, L"同意", 0);
      c.SetTextColor(RGB(0, 0, 255));
      c.DrawTextAt(70, 343, L"《用户许可协议》", 0);
      ++self->paints;
    });
    EndPaint(window, &ps);
    return 0;
  }
  if (message == WM_ERASEBKGND) return 1;
  return DefWindowProcW(window, message, wParam, lParam);
}

// Handles window messages until `done` is set or `timeoutMs` passes.
void PumpMessagesUntil(const std::atomic<bool>& done, int timeoutMs) {
  const DWORD start = GetTickCount();
  while (!done && GetTickCount() - start < static_cast<DWORD>(timeoutMs)) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
}

// Runs a Linux command on a worker thread while this thread keeps the window answering.
int RunWhilePumping(const std::string& command) {
  std::atomic<bool> done{false};
  int status = -1;
  std::thread worker([&] {
    status = RunUnixCommand(command, 60000);
    done = true;
  });
  PumpMessagesUntil(done, 90000);
  worker.join();
  return status;
}

// Colour of a picture's pixel (24 or 32 bits, opaque).
COLORREF PicturePixel(const CVolPicture& picture, int x, int y) {
  const uint8_t* p = picture.Row(y) + x * (picture.BitsPerPixel() / 8);
  return RGB(p[2], p[1], p[0]);
}

TEST(PainterScreenshotTest, WindowShowsPicturesAndChineseText) {
  Scene scene;
  ASSERT_TRUE(scene.Load());
  ScreenWindow state;
  state.scene = &scene;
  state.canvas.SetBackgroundColor(RGB(255, 255, 255));

  const std::wstring title = L"PainterScreenshot" + std::to_wstring(GetCurrentProcessId());
  WNDCLASSW wc{};
  wc.lpfnWndProc = ScreenWindowProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"PainterScreenshotWindow";
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  ASSERT_TRUE(RegisterClassW(&wc));
  HWND window = CreateWindowExW(0, wc.lpszClassName, title.c_str(), WS_POPUP, 100, 100, kWidth, kHeight, nullptr,
                                nullptr, wc.hInstance, nullptr);
  ASSERT_NE(window, nullptr);
  SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&state));
  state.canvas.AttachWindow(window);
  ShowWindow(window, SW_SHOW);
  UpdateWindow(window);
  std::atomic<bool> never{false};
  PumpMessagesUntil(never, 1500);
  ASSERT_GT(state.paints, 0);

  const std::wstring capture = BuildPath(L"test-artifacts\\painter_screenshot.png");
  CreateDirectoryW(BuildPath(L"test-artifacts").c_str(), nullptr);
  DeleteFileW(capture.c_str());
  const std::string command = "id=$(xdotool search --name '^" + std::string(title.begin(), title.end()) +
                              "$' | head -n 1) && [ -n \"$id\" ] && import -window \"$id\" '" +
                              UnixPathFromWindows(capture) + "'";
  ASSERT_EQ(RunWhilePumping(command), 0) << command;
  DestroyWindow(window);

  std::string bytes = ReadWholeFile(capture);
  CVolPicture shot;
  ASSERT_TRUE(shot.LoadPictureFromMemory(bytes.data(), bytes.size()));
  ASSERT_EQ(shot.Width(), kWidth);
  ASSERT_EQ(shot.Height(), kHeight);

  // Opaque parts of the pictures arrive unchanged.
  EXPECT_EQ(PicturePixel(shot, 300, 120), PicturePixel(scene.background, 300, 120)) << "background";
  EXPECT_EQ(PicturePixel(shot, 150, 390), PicturePixel(scene.background, 150, 390)) << "background";
  EXPECT_EQ(PicturePixel(shot, 229 + 12, 260 + 19), PicturePixel(scene.installButton, 12, 19)) << "install button";
  EXPECT_EQ(PicturePixel(shot, 20 + 9, 340 + 3), PicturePixel(scene.checkbox, 9, 3)) << "checkbox";
  // Transparent corners show the background; the translucent close plate lightens it.
  EXPECT_EQ(PicturePixel(shot, 551, 10), PicturePixel(scene.background, 551, 10)) << "close button corner";
  COLORREF plate = PicturePixel(shot, 551 + 5, 10 + 10);
  COLORREF behind = PicturePixel(scene.background, 551 + 5, 10 + 10);
  EXPECT_GT(GetRValue(plate), GetRValue(behind)) << "close button plate";

  // The text area is not blank: anti-aliased strokes stand out from the background, black for 同意 and
  // blue for the link.
  int agreeStrokes = 0, linkStrokes = 0, blueStrokes = 0;
  for (int y = 340; y < 362; ++y) {
    for (int x = 40; x < 200; ++x) {
      COLORREF c = PicturePixel(shot, x, y);
      COLORREF under = PicturePixel(scene.background, x, y);
      int difference = std::abs(GetRValue(c) - GetRValue(under)) + std::abs(GetGValue(c) - GetGValue(under)) +
                       std::abs(GetBValue(c) - GetBValue(under));
      if (difference < 90) continue;
      if (x < 66) {
        ++agreeStrokes;
      } else {
        ++linkStrokes;
        if (GetBValue(c) > GetRValue(c) + 60) ++blueStrokes;
      }
    }
  }
  EXPECT_GT(agreeStrokes, 30) << "同意 is drawn";
  EXPECT_GT(linkStrokes, 100) << "《用户许可协议》 is drawn";
  EXPECT_GT(blueStrokes * 4, linkStrokes * 3) << "the link is blue";
}

}  // namespace
