// The anchor for the click timing benchmark: the plain loop a clicker is usually
// written as (press, Sleep(50), release, Sleep(interval)), clicking the left button
// for a number of cycles, so that the program's timing is compared with what the
// plain loop reaches on the same machine at the same time.
//   qw_plain_clicker <intervalMs> <cycles>
#include <windows.h>

#include <cwchar>

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) return 64;
  const DWORD interval = std::wcstoul(argv[1], nullptr, 10);
  const unsigned long cycles = std::wcstoul(argv[2], nullptr, 10);
  for (unsigned long cycle = 0; cycle < cycles; ++cycle) {
    mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
    Sleep(50);
    mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
    Sleep(interval);
  }
  return 0;
}
