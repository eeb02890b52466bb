#include "ui/timer.h"

#include "ui/window_class.h"

void CVWnd_Timer::SetInterval(int32_t milliseconds) {
  m_interval = milliseconds < 0 ? 0 : milliseconds;
  if (!Exists()) return;
  if (m_running) {
    KillTimer(Handle(), kTimerId);
    m_running = false;
  }
  if (m_interval > 0) m_running = SetTimer(Handle(), kTimerId, static_cast<UINT>(m_interval), nullptr) != 0;
}

LRESULT CVWnd_Timer::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY && m_running) {
    KillTimer(Handle(), kTimerId);
    m_running = false;
  }
  return CVWnd_Dummy::WindowProc(message, wParam, lParam);
}

CVolTimer::CVolTimer() : CVolWinControl(std::make_unique<CVWnd_Timer>()) {}

bool CVolTimer::Create(CreateParams& params) {
  if (!CreateRuntimeWindow(params, kDummyWindowClass, Visibility::kCreateHidden)) return false;
  Timer()->SetInterval(Timer()->Interval());
  return true;
}

bool CVolTimer::Dispatch(WindowMessage& message) {
  if (CVolWinControl::Dispatch(message)) return true;
  if (message.message != WM_TIMER || message.wParam != CVWnd_Timer::kTimerId) return false;
  OnTimerEvent();
  return true;
}

int CVolTimer::OnTimerEvent() {
  return m_timerEvent.Fire<int>(this, 0);
}
