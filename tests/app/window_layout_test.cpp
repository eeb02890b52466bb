// The installer window's geometry and the small rules behind its drawing: hit areas, the slide-show step,
// the custom folder, the CJK check, what painting takes from the state, the licence text as shown.
#include <gtest/gtest.h>

#include "app/installer_form.h"
#include "app/installer_state.h"
#include "app/licence_form.h"
#include "app/window_layout.h"

namespace {

TEST(WindowLayout, RectanglesOfThe600By400Window) {
  const WindowLayout l = LayoutFor(600, 400);
  EXPECT_EQ(l.bottomBand, 320);
  EXPECT_EQ((std::vector<int>{l.closeRect.x, l.closeRect.y, l.closeRect.width, l.closeRect.height}),
            (std::vector<int>{551, 10, 39, 20}));
  EXPECT_EQ((std::vector<int>{l.buttonRect.x, l.buttonRect.y, l.buttonRect.width, l.buttonRect.height}),
            (std::vector<int>{229, 260, 142, 38}));
  EXPECT_EQ((std::vector<int>{l.locationRect.x, l.locationRect.y, l.locationRect.width, l.locationRect.height}),
            (std::vector<int>{480, 340, 100, 12}));
}

TEST(WindowLayout, HitTestTakesBothEndsAsInside) {
  const WindowLayout l = LayoutFor(600, 400);
  struct Case {
    int x, y;
    HotArea area;
  } const cases[] = {
      {551, 10, HotArea::Close},       {590, 30, HotArea::Close},       {550, 10, HotArea::None},
      {591, 30, HotArea::None},        {570, 31, HotArea::None},        {229, 260, HotArea::Button},
      {371, 298, HotArea::Button},     {228, 260, HotArea::None},       {300, 299, HotArea::None},
      {480, 340, HotArea::Location},   {580, 352, HotArea::Location},   {581, 352, HotArea::None},
      {480, 353, HotArea::None},       {20, 340, HotArea::Checkbox},    {38, 358, HotArea::Checkbox},
      {39, 350, HotArea::None},        {20, 359, HotArea::None},        {70, 340, HotArea::LicenceLink},
      {170, 358, HotArea::LicenceLink}, {171, 350, HotArea::None},      {55, 350, HotArea::None},
      {300, 120, HotArea::None},       {0, 0, HotArea::None},           {300, 380, HotArea::None},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(HitTest(l, c.x, c.y), c.area) << "(" << c.x << ", " << c.y << ")";
  }
}

TEST(WindowLayout, SlideIndexStep) {
  struct Case {
    int current;
    int64_t count;
    int next;
  } const cases[] = {
      {0, 3, 1}, {1, 3, 2}, {2, 3, 3}, {3, 3, 1},  // three start pictures run 1, 2, 3, 1
      {0, 0, 0}, {2, 0, 0},                        // no pictures: back to the built-in one
      {5, 2, 1}, {2, 2, 1}, {1, 2, 2},             // a shorter list after a phase change wraps to 1
  };
  for (const Case& c : cases) {
    EXPECT_EQ(NextSlideIndex(c.current, c.count), c.next) << c.current << " of " << c.count;
  }
}

TEST(WindowLayout, PaintingNeverReadsPastTheList) {
  InstallerState state;
  state.startImages = {CVolMem("s1", 2), CVolMem("s2", 2), CVolMem("s3", 2)};
  state.installImages = {CVolMem("i1", 2)};
  struct Case {
    InstallPhase phase;
    int index;
    const char* picture;  // null: the built-in background
  } const cases[] = {
      {InstallPhase::Ready, 0, nullptr},        {InstallPhase::Ready, 3, "s3"},
      {InstallPhase::Ready, 4, nullptr},        {InstallPhase::Downloading, 1, "i1"},
      {InstallPhase::Downloading, 3, nullptr},  {InstallPhase::Done, 2, nullptr},
  };
  for (const Case& c : cases) {
    state.phase = c.phase;
    state.slideIndex = c.index;
    const WindowSnapshot view = SnapshotForPainting(state);
    EXPECT_EQ(view.builtInBackground, c.picture == nullptr) << static_cast<int>(c.phase) << "/" << c.index;
    if (c.picture) {
      EXPECT_EQ(std::string(reinterpret_cast<const char*>(view.slidePicture.GetData()), 2), c.picture);
      // A slide the window still holds decoded is not copied again.
      EXPECT_EQ(SnapshotForPainting(state, &view.slide).slidePicture.GetSize(), 0);
    }
  }
}

TEST(WindowLayout, CustomInstallDirectory) {
  struct Case {
    const wchar_t* chosen;
    const wchar_t* installDir;
  } const cases[] = {
      {L"D:\\Apps", L"D:\\Apps\\Tonvexa\\"},
      {L"D:\\", L"D:\\Tonvexa\\"},
      {L"C:\\Program Files\\", L"C:\\Program Files\\Tonvexa\\"},
  };
  for (const Case& c : cases) {
    EXPECT_STREQ(CustomInstallDirectory(CWString(c.chosen)).GetText(), c.installDir);
  }
}

TEST(WindowLayout, CjkRangeIsUnifiedIdeographsUpTo9FA5) {
  EXPECT_FALSE(HasCjkCharacter(CWString(L"C:\\Program Files (x86)\\TonVexa\\")));
  EXPECT_TRUE(HasCjkCharacter(CWString(L"D:\\软件\\Tonvexa\\")));
  EXPECT_TRUE(HasCjkCharacter(CWString(L"\u4E00")));
  EXPECT_TRUE(HasCjkCharacter(CWString(L"\u9FA5")));
  EXPECT_FALSE(HasCjkCharacter(CWString(L"\u9FA6")));
  EXPECT_FALSE(HasCjkCharacter(CWString(L"\u4DFF")));
  EXPECT_FALSE(HasCjkCharacter(CWString(L"D:\\ソフト\\")));  // kana are not in the range
}

TEST(WindowLayout, LicenceLinesBreakAtEveryLineFeed) {
  EXPECT_STREQ(LicenceDisplayText(CWString(L"a\r\nb\nc\n")).GetText(), L"a\r\nb\r\nc\r\n");
  EXPECT_STREQ(LicenceDisplayText(CWString(L"\nx")).GetText(), L"\r\nx");
  EXPECT_STREQ(LicenceDisplayText(CWString(L"")).GetText(), L"");
}

}  // namespace
