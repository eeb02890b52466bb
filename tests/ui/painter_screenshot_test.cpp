// The painter on screen: a form's painter draws the installer's background, close button, install button,
// ticked checkbox and a Chinese text; the X server's copy of the window is captured with ImageMagick and
// checked pixel by pixel. The capture stays in build/test-artifacts/painter_screenshot.png.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <string>

#include "resources/resource_ids.h"
#include "support/message_pump.h"
#include "support/test_environment.h"
#include "support/ui_test_app.h"
#include "ui/painter.h"
#include "ui/win_form.h"

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

// A borderless 600 x 400 form covered by a painter that draws the scene from its paint event.
class ScreenForm : public CVolWinForm {
 public:
  CVolPainter painter;
  Scene* scene = nullptr;
  int paints = 0;

  ScreenForm() {
    SetControlBox(false);
    SetBorderStyle(0);
  }
  ~ScreenForm() override { BeginDestruction(); }
  int32_t DefaultClientWidth() override { return kWidth; }
  int32_t DefaultClientHeight() override { return kHeight; }
  void CreatedHook() override {
    painter.SetBackgroundColor(RGB(255, 255, 255));
    painter.BindPaintEvent(&ScreenForm::OnPaint, EventHolder());
    painter.CreateChild(*this, 0, 0, kWidth, kHeight, 101);
  }
  static int OnPaint(CVolObject* self, CVolObject*, int32_t, CVolRect*) {
    auto* form = static_cast<ScreenForm*>(self);
    CVolPainter& p = form->painter;
    p.ClearCanvas();
    p.DrawPicture(form->scene->background, 0, 0, kWidth, kHeight);
    p.DrawPicture(form->scene->closeButton, 551, 10, 39, 20);
    p.DrawPicture(form->scene->installButton, 229, 260, 142, 38);
    p.DrawPicture(form->scene->checkbox, 20, 340, 18, 18);
    p.SetTextColor(RGB(0, 0, 0));
    p.DrawTextAt(40, 343, L"同意", 0);
    p.SetTextColor(RGB(0, 0, 255));
    p.DrawTextAt(70, 343, L"《用户许可协议》", 0);
    ++form->paints;
    return 0;
  }
};

// Colour of a picture's pixel (24 or 32 bits, opaque).
COLORREF PicturePixel(const CVolPicture& picture, int x, int y) {
  const uint8_t* p = picture.Row(y) + x * (picture.BitsPerPixel() / 8);
  return RGB(p[2], p[1], p[0]);
}

TEST(PainterScreenshotTest, FormShowsPicturesAndChineseText) {
  UiTestApp app;
  Scene scene;
  ASSERT_TRUE(scene.Load());
  ScreenForm form;
  form.scene = &scene;
  const std::wstring title = L"PainterScreenshot" + std::to_wstring(GetCurrentProcessId());
  form.SetTitle(CWString(title.c_str()));
  ASSERT_TRUE(form.CreateDefault());
  ASSERT_TRUE(PumpMessagesUntil([&] { return form.paints > 0; }, 10000));
  PumpTestMessagesFor(500);

  const std::wstring capture = BuildPath(L"test-artifacts\\painter_screenshot.png");
  CreateDirectoryW(BuildPath(L"test-artifacts").c_str(), nullptr);
  DeleteFileW(capture.c_str());
  const std::string command = "id=$(xdotool search --name '^" + std::string(title.begin(), title.end()) +
                              "$' | head -n 1) && [ -n \"$id\" ] && import -window \"$id\" '" +
                              UnixPathFromWindows(capture) + "'";
  ASSERT_EQ(RunUnixCommandWhilePumping(command), 0) << command;

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
