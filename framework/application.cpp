#include "framework/application.h"

#include "framework/window.h"

namespace {

FrameworkApp* g_application = nullptr;
HINSTANCE g_instance = nullptr;

// The system's caret-blink timer message.
constexpr UINT kSystemTimerMessage = 0x0118;

}  // namespace

FrameworkApp::FrameworkApp() {
  g_application = this;
}

FrameworkApp::~FrameworkApp() {
  if (g_application == this) g_application = nullptr;
}

FrameworkApp* FrameworkApp::Current() {
  return g_application;
}

HINSTANCE FrameworkApp::Instance() {
  return g_instance ? g_instance : GetModuleHandleW(nullptr);
}

int FrameworkApp::Run() {
  bool idle = true;
  long idleCount = 0;
  for (;;) {
    MSG peeked;
    while (idle && !PeekMessageW(&peeked, nullptr, 0, 0, PM_NOREMOVE)) {
      if (!OnIdle(idleCount++)) idle = false;
    }
    do {
      if (!PumpMessage()) return ExitInstance();
      if (IsIdleMessage(m_currentMessage)) {
        idle = true;
        idleCount = 0;
      }
    } while (PeekMessageW(&peeked, nullptr, 0, 0, PM_NOREMOVE));
  }
}

bool FrameworkApp::PumpMessage() {
  MSG message;
  const BOOL got = GetMessageW(&message, nullptr, 0, 0);
  m_currentMessage = message;
  if (got <= 0) return false;  // WM_QUIT, or a broken queue
  if (!PreTranslateMessage(&message)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return true;
}

bool FrameworkApp::IsIdleMessage(const MSG& message) {
  if (message.message == WM_MOUSEMOVE || message.message == WM_NCMOUSEMOVE) {
    const bool repeated = message.message == m_lastMouseMessage && message.pt.x == m_lastMousePosition.x &&
                          message.pt.y == m_lastMousePosition.y;
    m_lastMouseMessage = message.message;
    m_lastMousePosition = message.pt;
    return !repeated;
  }
  return message.message != WM_PAINT && message.message != kSystemTimerMessage;
}

bool FrameworkApp::PreTranslateMessage(MSG* message) {
  HWND stop = m_mainWindow ? m_mainWindow->Handle() : nullptr;
  for (HWND window = message->hwnd; window; window = GetParent(window)) {
    if (FrameworkWindow* object = FrameworkWindow::FromHandle(window)) {
      if (object->PreTranslateMessage(message)) return true;
    }
    if (window == stop) break;
  }
  return false;
}

bool FrameworkApp::OnIdle(long count) {
  return count < 1;
}

int FrameworkApp::ExitInstance() {
  return m_currentMessage.message == WM_QUIT ? static_cast<int>(m_currentMessage.wParam) : 0;
}

void FrameworkApp::OnWindowDestroyed(FrameworkWindow* window) {
  if (window != m_mainWindow) return;
  m_mainWindow = nullptr;
  PostQuitMessage(0);
}

int FrameworkWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  g_instance = instance;
  FrameworkApp* app = FrameworkApp::Current();
  if (!app) return -1;
  if (!app->InitInstance()) {
    if (FrameworkWindow* main = app->MainWindow()) main->DestroyWindow();
    return app->ExitInstance();
  }
  return app->Run();
}
