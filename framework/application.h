// FrameworkApp: the process's application object and its message loop.
//
// A program defines exactly one application object (a static object of a class derived from FrameworkApp)
// and lets its wWinMain call FrameworkWinMain. FrameworkWinMain records the instance handle and calls
// InitInstance; when that returns true it runs the message loop (Run), otherwise the application ends at
// once through ExitInstance. The run loop:
//   - while the queue is empty, calls OnIdle(0), OnIdle(1), ... until OnIdle returns false; the count
//     starts again at 0 after a message that is not a mere repetition (see IsIdleMessage);
//   - takes each message, gives it to PreTranslateMessage and dispatches it unless that returned true;
//   - on WM_QUIT returns ExitInstance(), whose base result is the WM_QUIT exit code.
// When the main window is destroyed the application posts WM_QUIT with code 0.
//
// Thread: everything here runs on the thread that runs FrameworkWinMain (the user-interface thread).
#pragma once

#include <windows.h>

class FrameworkWindow;

class FrameworkApp {
 public:
  // Registers this object as the process's application (the last one constructed wins).
  FrameworkApp();
  virtual ~FrameworkApp();
  FrameworkApp(const FrameworkApp&) = delete;
  FrameworkApp& operator=(const FrameworkApp&) = delete;

  // The application object, or null when the program has none.
  static FrameworkApp* Current();
  // The module instance handle recorded by FrameworkWinMain (the executable's handle before that).
  static HINSTANCE Instance();

  // Start-up; the run loop runs only when this returns true.
  virtual bool InitInstance() { return true; }
  // The message loop; returns the exit code.
  virtual int Run();
  // Queued messages before dispatch; true = handled. The base offers the message to the framework objects
  // of its window and its parents, up to the main window.
  virtual bool PreTranslateMessage(MSG* message);
  // Idle processing; `count` is the number of calls since the queue last received a real message.
  // Returns true while it wants more idle calls. The base wants exactly one more call after count 0.
  virtual bool OnIdle(long count);
  // Shutdown; the result is the process exit code.
  virtual int ExitInstance();

  FrameworkWindow* MainWindow() const { return m_mainWindow; }
  void SetMainWindow(FrameworkWindow* window) { m_mainWindow = window; }

  // The message the run loop handles at the moment (its last message after the loop ended).
  const MSG& CurrentMessage() const { return m_currentMessage; }

  // Takes and handles one message; false on WM_QUIT.
  bool PumpMessage();
  // False for messages that arrive continuously without new work (repeated mouse moves, paint, caret blink).
  bool IsIdleMessage(const MSG& message);

  // Called by the window layer after a framework window's WM_NCDESTROY.
  void OnWindowDestroyed(FrameworkWindow* window);

 private:
  friend int FrameworkWinMain(HINSTANCE, HINSTANCE, PWSTR, int);

  FrameworkWindow* m_mainWindow = nullptr;
  MSG m_currentMessage{};
  POINT m_lastMousePosition{-1, -1};
  UINT m_lastMouseMessage = 0;
};

// The program's entry: what wWinMain returns.
int FrameworkWinMain(HINSTANCE instance, HINSTANCE previous, PWSTR commandLine, int showCommand);
