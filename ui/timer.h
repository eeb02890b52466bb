// CVolTimer: a control that raises its timer event every `interval` milliseconds on the user-interface
// thread. It makes a hidden window of class "VolDummyWnd" (CVWnd_Timer), which holds at most one native
// timer (identifier 1000). Without a window the interval is only stored and applied at creation.
#pragma once

#include "ui/win_control.h"

class CVWnd_Timer : public CVWnd_Dummy {
 public:
  static constexpr UINT_PTR kTimerId = 1000;

  int32_t Interval() const { return m_interval; }
  bool IsRunning() const { return m_running; }
  // Stores the interval (negative as 0); with a window, stops a running timer and starts one for a
  // positive interval, so the next tick comes one full interval after the call.
  void SetInterval(int32_t milliseconds);

 protected:
  // Stops the timer when the window is destroyed.
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  int32_t m_interval = 0;
  bool m_running = false;
};

class CVolTimer : public CVolWinControl, public virtual ITimerEventListener {
  VOL_CLASS_IDENTITY(CVolTimer, CVolWinControl, "CVolTimer")
 public:
  CVolTimer();
  ~CVolTimer() override { DetachListener(); }

  // Makes the hidden timer window and starts the stored interval.
  bool Create(CreateParams& params) override;
  // WM_TIMER of timer 1000 raises the timer event.
  bool Dispatch(WindowMessage& message) override;
  IBaseEventListener* ListenerInterface() override { return static_cast<ITimerEventListener*>(this); }
  bool OnRawMessage(WindowMessage& message) override { return Dispatch(message); }
  int OnTimerEvent() override;

  // The timer event: NotifyEventHandler (receiver, timer, extra).
  EventBinding& TimerEvent() { return m_timerEvent; }

  void SetInterval(int32_t milliseconds) { Timer()->SetInterval(milliseconds); }
  int32_t GetInterval() const { return Timer()->Interval(); }
  bool IsRunning() const { return Timer()->IsRunning(); }

 private:
  CVWnd_Timer* Timer() const { return NativeAs<CVWnd_Timer>(); }

  EventBinding m_timerEvent;
};
