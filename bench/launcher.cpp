// Starts programs and ends them for the benchmarks, from inside Wine, where a
// window's appearance can be timed without the X server's delays. Prints JSON.
//
//   qw_bench_launcher launch <exe> <caption> <timeoutMs>  -> {"ms":..,"pid":..}: from the
//       process's creation until a shown top-level window with the caption exists;
//       the program keeps running
//   qw_bench_launcher close <caption> <timeoutMs>         -> posts command 2 (IDCANCEL)
//       to that window, which ends both the program and the bare dialog
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

// Only a shown window counts: a dialog exists, hidden, while it initialises.
HWND ShownWindow(const wchar_t* caption) {
  HWND window = nullptr;
  while ((window = FindWindowExW(nullptr, window, nullptr, caption)) != nullptr && !IsWindowVisible(window)) {
  }
  return window;
}

int Launch(const wchar_t* exe, const wchar_t* caption, double timeoutMs) {
  LARGE_INTEGER frequency, start, now;
  QueryPerformanceFrequency(&frequency);
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  std::wstring commandLine = L"\"" + std::wstring(exe) + L"\"";
  QueryPerformanceCounter(&start);
  if (!CreateProcessW(exe, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    return 1;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  for (;;) {
    const bool shown = ShownWindow(caption) != nullptr;
    QueryPerformanceCounter(&now);
    const double ms = (now.QuadPart - start.QuadPart) * 1000.0 / frequency.QuadPart;
    if (shown) {
      std::printf("{\"ms\":%.1f,\"pid\":%lu}\n", ms, process.dwProcessId);
      return 0;
    }
    if (ms > timeoutMs) return 2;
    Sleep(1);
  }
}

int Close(const wchar_t* caption, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  do {
    if (HWND window = ShownWindow(caption)) {
      return PostMessageW(window, WM_COMMAND, IDCANCEL, 0) ? 0 : 1;
    }
    Sleep(20);
  } while (GetTickCount() - start < timeoutMs);
  return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring command = argc > 1 ? argv[1] : L"";
  if (command == L"launch" && argc == 5) return Launch(argv[2], argv[3], std::wcstod(argv[4], nullptr));
  if (command == L"close" && argc == 4) return Close(argv[2], std::wcstoul(argv[3], nullptr, 10));
  return 64;
}
