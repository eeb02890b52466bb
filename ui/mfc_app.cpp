#include "ui/mfc_app.h"

#include "runtime/exception.h"
#include "runtime/external_binding.h"
#include "runtime/wide_string.h"
#include "ui/gdiplus_session.h"
#include "ui/idle_list.h"

namespace {

constexpr UINT kExitFailure = static_cast<UINT>(-1);
constexpr wchar_t kRuntimeErrorCaption[] = L"运行时异常";

[[noreturn]] void ReportAndExit(const wchar_t* text) {
  MessageBoxW(nullptr, text, kRuntimeErrorCaption, MB_ICONERROR);
  ExitProcess(kExitFailure);
}

}  // namespace

CVolObjectArray& ProcessObjectArray() {
  static CVolObjectArray objects;
  return objects;
}

bool RunUserMain(CVolUserApp& app, bool debuggerPresent) {
  if (debuggerPresent) return app.Main();
  try {
    return app.Main();
  } catch (const CVolException& exception) {
    CWString text;
    text.Format(L"俘获到异常,代码值为: %d, 描述为: %s", exception.Code(), exception.Message().GetText());
    ReportAndExit(text.GetText());
  } catch (...) {
    ReportAndExit(L"程序在运行时抛出了未被管理的异常");
  }
}

bool RunUserMain(CVolUserApp& app) {
  return RunUserMain(app, IsDebuggerPresent() != FALSE);
}

CVolMFCApp::CVolMFCApp(const CVolClassInfo* userAppClass) : m_userAppClass(userAppClass) {}

CVolMFCApp::~CVolMFCApp() {
  // Normally released by ExitInstance; a program ended otherwise leaves it to the process.
  m_hookedApp = nullptr;
}

bool CVolMFCApp::InitInstance() {
  CVolMfcAppBase::InitInstance();
  CVolObject* created = m_userAppClass && m_userAppClass->factory ? m_userAppClass->factory() : nullptr;
  if (!created || !created->IsKindOf(CVolUserApp::ClassInfo())) {
    ReleaseObject(created);
    ExitProcess(kExitFailure);
  }
  m_userApp = static_cast<CVolUserApp*>(created);
  if (created->IsKindOf(CVolHookedApp::ClassInfo())) m_hookedApp = static_cast<CVolHookedApp*>(created);
  const bool started = RunUserMain(*m_userApp);
  return started && MainWindow() != nullptr;
}

bool CVolMFCApp::PreTranslateMessage(MSG* message) {
  if (m_hookedApp &&
      !m_hookedApp->MessageFilter(message->hwnd, message->message, message->wParam, message->lParam, message)) {
    return true;
  }
  return CVolMfcAppBase::PreTranslateMessage(message);
}

bool CVolMFCApp::OnIdle(long count) {
  if (!m_hookedApp) return CVolMfcAppBase::OnIdle(count);
  if (count == 0) {
    m_idlePending = true;
    m_idleStart = GetTickCount();
  }
  if (m_idlePending) {
    m_idlePending = CVolMfcAppBase::OnIdle(count);
    return true;
  }
  if (count > 1) {
    IdleList::Instance().Pass();
    return m_hookedApp->Idle(GetTickCount() - m_idleStart);
  }
  return true;
}

int CVolMFCApp::ExitInstance() {
  if (m_hookedApp) m_hookedApp->ExitHook(0, 0, 0);
  IdleList::Instance().Clear();
  CVolUserApp* app = m_userApp;
  m_userApp = nullptr;
  m_hookedApp = nullptr;
  ReleaseObject(app);  // destroys the user application's windows with it
  ProcessObjectArray().Clear();
  FreeExternalModules();
  ShutdownGdiplus();
  return CVolMfcAppBase::ExitInstance();
}
