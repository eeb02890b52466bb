// The runtime's application object with a user application: start-up, the user application's hooks, the
// idle pass, the exception guard with a debugger, and the order of shutdown.
#include "ui/mfc_app.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/exception.h"
#include "ui/idle_list.h"
#include "support/ui_test_app.h"

namespace {

std::vector<std::string> g_log;

class TestApp : public CVolHookedApp {
  VOL_CLASS_IDENTITY(TestApp, CVolHookedApp, "TestApp")
 public:
  static bool openWindow;
  ~TestApp() override { g_log.push_back(form.HasWindow() ? "released with window" : "released"); }
  bool Main() override {
    g_log.push_back("main");
    if (!openWindow) return true;
    CreateParams params;
    if (form.Create(params)) FrameworkApp::Current()->SetMainWindow(form.NativeWindow());
    return true;
  }
  bool MessageFilter(HWND, UINT message, WPARAM, LPARAM, MSG*) override { return message != WM_APP + 9; }
  bool Idle(uint32_t) override {
    g_log.push_back("idle");
    return false;
  }
  void ExitHook(int64_t, int64_t, int64_t) override { g_log.push_back("exit hook"); }
  SizedForm form{200, 100};
};
bool TestApp::openWindow = true;

TEST(Application, StartsTheUserApplicationAndShutsDownInOrder) {
  g_log.clear();
  CVolMFCApp app(TestApp::ClassInfo());
  ASSERT_TRUE(app.InitInstance());
  ASSERT_NE(app.UserApp(), nullptr);
  EXPECT_EQ(RunningUserApp(), app.UserApp());
  EXPECT_TRUE(app.IsComInitialised());
  HWND window = app.MainWindow()->Handle();
  EXPECT_TRUE(IsWindow(window));

  // The filter drops what it refuses; everything else goes on to the usual pre-translation.
  MSG refused{window, WM_APP + 9, 0, 0, 0, {0, 0}};
  MSG passed{window, WM_APP + 8, 0, 0, 0, {0, 0}};
  EXPECT_TRUE(app.PreTranslateMessage(&refused));
  EXPECT_FALSE(app.PreTranslateMessage(&passed));

  // The framework's idle work takes counts 0 and 1; the user application's idle comes after.
  EXPECT_TRUE(app.OnIdle(0));
  EXPECT_TRUE(app.OnIdle(1));
  EXPECT_EQ(g_log, std::vector<std::string>{"main"});
  EXPECT_FALSE(app.OnIdle(2));
  EXPECT_EQ(g_log.back(), "idle");

  app.ExitInstance();
  EXPECT_EQ(g_log, (std::vector<std::string>{"main", "idle", "exit hook", "released with window"}));
  EXPECT_EQ(RunningUserApp(), nullptr);
  EXPECT_EQ(app.UserApp(), nullptr);
  EXPECT_FALSE(IsWindow(window));
}

TEST(Application, StartUpFailsWithoutAMainWindow) {
  g_log.clear();
  TestApp::openWindow = false;
  CVolMFCApp app(TestApp::ClassInfo());
  EXPECT_FALSE(app.InitInstance());
  TestApp::openWindow = true;
  app.ExitInstance();
  EXPECT_EQ(g_log, (std::vector<std::string>{"main", "exit hook", "released"}));
}

TEST(Application, WithADebuggerExceptionsFromMainPropagate) {
  struct Throwing : CVolUserApp {
    bool Main() override { throw CVolException(7, CWString(L"binding failed")); }
  } app;
  try {
    RunUserMain(app, true);
    FAIL() << "the exception was swallowed";
  } catch (const CVolException& exception) {
    EXPECT_EQ(exception.Code(), 7);
  }
  struct Failing : CVolUserApp {
    bool Main() override { return false; }
  } failing;
  EXPECT_FALSE(RunUserMain(failing, false));
}

TEST(Application, ValueClassListHoldsTheNineBoxedClasses) {
  CVolClassListApp app;
  int count = 0;
  const CVolClassInfo* const* classes = app.ValueClassList(&count);
  ASSERT_EQ(count, 9);
  EXPECT_STREQ(classes[0]->name, "CVolBoxedInt8");
  EXPECT_STREQ(classes[8]->name, "CVolBoxedDouble");
}

TEST(IdleList, ReleasesEntriesFinishedLongerThanTheExpiryAtMostOncePerInterval) {
  struct Entry : CIdleEntry {
    explicit Entry(int* released) : released(released) {}
    ~Entry() override { ++*released; }
    int* released;
  };
  IdleList list;
  int released = 0;
  auto* finishedEarly = new Entry(&released);
  auto* finishedLate = new Entry(&released);
  auto* running = new Entry(&released);
  list.Add(finishedEarly);
  list.Add(finishedLate);
  list.Add(running);
  const DWORD start = 100000;
  finishedEarly->Finish(start);
  finishedLate->Finish(start + IdleList::kExpiryMs);

  EXPECT_EQ(list.Pass(start + IdleList::kExpiryMs), 0);  // nothing expired yet
  EXPECT_EQ(list.Pass(start + IdleList::kExpiryMs + 10), 0);  // within the check interval: no pass
  EXPECT_EQ(list.Pass(start + IdleList::kExpiryMs + IdleList::kCheckIntervalMs), 1);
  EXPECT_EQ(released, 1);
  EXPECT_EQ(list.Count(), 2u);
  list.Clear();
  EXPECT_EQ(released, 3);
}

}  // namespace
