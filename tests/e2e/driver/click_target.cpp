// A window that covers the screen and records every mouse button event it receives,
// with a microsecond timestamp, one line each: "<microseconds> <L|R><D|U> <ms>", the
// last field being the message's own time (GetMessageTime: when the input was queued,
// in milliseconds), which tells the sender's timing from the delivery's.
//   qw_click_target <logFile>
// The log is written through at once, so a test can read it while clicks arrive.
#include <windows.h>

#include <cstdio>

namespace {

HANDLE logFile = INVALID_HANDLE_VALUE;
LARGE_INTEGER frequency;

void Record(const char* event) {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  char line[64];
  const long long micros = now.QuadPart * 1000000LL / frequency.QuadPart;
  const int length =
      std::snprintf(line, sizeof(line), "%lld %s %lu\n", micros, event, static_cast<unsigned long>(GetMessageTime()));
  DWORD written = 0;
  WriteFile(logFile, line, length, &written, nullptr);
}

LRESULT CALLBACK TargetProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_LBUTTONDOWN: Record("LD"); return 0;
    case WM_LBUTTONUP: Record("LU"); return 0;
    case WM_RBUTTONDOWN: Record("RD"); return 0;
    case WM_RBUTTONUP: Record("RU"); return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: return DefWindowProcW(window, message, wParam, lParam);
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
  QueryPerformanceFrequency(&frequency);
  logFile = CreateFileW(commandLine, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, nullptr);
  if (logFile == INVALID_HANDLE_VALUE) return 1;

  WNDCLASSW windowClass = {};
  windowClass.lpfnWndProc = TargetProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszClassName = L"QwClickTarget";
  RegisterClassW(&windowClass);
  HWND window = CreateWindowExW(0, L"QwClickTarget", L"QwClickTarget", WS_POPUP | WS_VISIBLE, 0, 0,
                                GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr,
                                instance, nullptr);
  if (!window) return 1;
  Record("ready");

  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}
