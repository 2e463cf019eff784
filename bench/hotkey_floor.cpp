// The floor for the start key's latency: the least a program can do between its
// hot-key and a press, which is to press in its own WM_HOTKEY handler. Registers F9,
// clicks the left button (a press, and its release 50 ms later) at each of its
// messages, and ends at F11. Prints "ready" once the keys are its own.
//   qw_hotkey_floor
#include <windows.h>

#include <cstdio>

int wmain() {
  constexpr int Press = 1, End = 2;
  if (!RegisterHotKey(nullptr, Press, 0, VK_F9) || !RegisterHotKey(nullptr, End, 0, VK_F11)) return 1;
  std::printf("ready\n");
  std::fflush(stdout);
  UINT_PTR release = 0;
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (message.message == WM_HOTKEY && message.wParam == Press) {
      mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
      release = SetTimer(nullptr, release, 50, nullptr);
    } else if (message.message == WM_TIMER && message.wParam == release) {
      KillTimer(nullptr, release);
      mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
    } else if (message.message == WM_HOTKEY && message.wParam == End) {
      break;
    }
  }
  return 0;
}
