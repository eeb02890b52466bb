// TonvexaAI.exe, the demo product the installer installs in tests and demonstrations: a small window that
// says which program it is, which version, and the folder it runs from, so a user (or a test) can see at a
// glance that the installed copy is the one that started.
#include <windows.h>

#include <string>

#ifndef TONVEXA_AI_VERSION
#define TONVEXA_AI_VERSION L"0.0.0"
#endif

namespace {

constexpr wchar_t kWindowClass[] = L"TonvexaAIDemoWindow";
constexpr wchar_t kTitle[] = L"TonvexaAI " TONVEXA_AI_VERSION L" (demo)";

std::wstring ProgramFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return L"";
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  const size_t slash = path.find_last_of(L'\\');
  return slash == std::wstring::npos ? path : path.substr(0, slash);
}

std::wstring WindowText() {
  return std::wstring(L"TonvexaAI\r\n版本 ") + TONVEXA_AI_VERSION + L"\r\n\r\n运行目录:\r\n" + ProgramFolder();
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      RECT area;
      GetClientRect(window, &area);
      InflateRect(&area, -24, -24);
      SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
      SetBkMode(dc, TRANSPARENT);
      const std::wstring text = WindowText();
      DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &area, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
      EndPaint(window, &paint);
      return 0;
    }
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
  WNDCLASSEXW windowClass = {sizeof(windowClass)};
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszClassName = kWindowClass;
  if (!RegisterClassExW(&windowClass)) return 1;

  HWND window = CreateWindowExW(0, kWindowClass, kTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 520,
                                260, nullptr, nullptr, instance, nullptr);
  if (!window) return 1;
  // The installer starts the product with a hidden show state; the first ShowWindow takes that state, the
  // second one shows the window anyway, as a product that means to be seen after installation must.
  ShowWindow(window, showCommand);
  ShowWindow(window, SW_SHOWNORMAL);
  UpdateWindow(window);

  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}
