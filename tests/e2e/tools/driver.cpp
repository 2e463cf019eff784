// The end-to-end tests' hands inside Wine. Prints at most one line, UTF-8.
//   qw_driver find <caption> <ms> [class]  -> "<hwnd> <pid>" of a shown top-level window
//   qw_driver probe <hwnd> <file> [n]      -> runs qw_probe.dll inside the window's process (after n repaints)
//   qw_driver send|post <hwnd> <message or registered name> <wParam> <lParam>
//   qw_driver keys <vk>...                 -> "0"/"1" for each: down as the whole session sees it
//   qw_driver move <x> <y>                 -> the mouse moved there as another program moves it
//   qw_driver hold <vk> <seconds> [modifiers] -> "held" once the hot-key is ours (vk 0: a low-level keyboard hook
//   that passes every key on); untray <hwnd> <id>: as a restarting
//   shell qw_driver log <file> <what>... -> appends a line: stands in for the browser and editor
// Built again as qw_click_target.exe <file>: a window over the whole screen that logs
// "<microseconds> <LD|LU|RD|RU|MD|MU|XD|XU|KD|KU|ready> <message time> <x,y | vk,scan,extended>" for every
// button and key event.
#include <windows.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include <cstdio>
#include <string>

namespace {

// Handles and message parameters at full width: a 64-bit handle may not fit a long.
LONG_PTR Number(const wchar_t* text) { return static_cast<LONG_PTR>(wcstoull(text, nullptr, 0)); }
HWND Window(const wchar_t* text) { return reinterpret_cast<HWND>(Number(text)); }

bool Append(const wchar_t* file, const std::wstring& line) {
  char out[4096];
  const int n = WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, out, sizeof(out), nullptr, nullptr) - 1;
  // Racing launches write one after the other: while one has the file open, nobody else may write it.
  HANDLE h = INVALID_HANDLE_VALUE;
  for (int i = 0; i < 500 && h == INVALID_HANDLE_VALUE; ++i, Sleep(h == INVALID_HANDLE_VALUE ? 10 : 0))
    h = CreateFileW(file, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, FILE_FLAG_WRITE_THROUGH, nullptr);
  DWORD written = 0;
  const bool ok = h != INVALID_HANDLE_VALUE && n > 0 && WriteFile(h, out, n, &written, nullptr);
  if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  return ok;
}

int Find(const wchar_t* caption, DWORD ms, const wchar_t* cls) {
  for (const DWORD start = GetTickCount();; Sleep(20)) {
    // A dialog exists hidden while it initialises: only a shown one counts.
    HWND w = nullptr;
    while ((w = FindWindowExW(nullptr, w, cls, caption)) != nullptr && !IsWindowVisible(w)) {
    }
    DWORD pid = 0;
    if (w && GetWindowThreadProcessId(w, &pid))
      return std::printf("%llu %lu\n", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(w)), pid), 0;
    if (GetTickCount() - start >= ms) return 1;
  }
}

// The DLL's base in the window's process, from its module list: a thread's exit code
// would cut a 64-bit base to 32 bits.
UINT_PTR RemoteBase(DWORD pid, const wchar_t* dll) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, pid);
  MODULEENTRY32W module = {};
  module.dwSize = sizeof(module);
  UINT_PTR base = 0;
  for (BOOL more = Module32FirstW(snapshot, &module); more && !base; more = Module32NextW(snapshot, &module))
    if (_wcsicmp(module.szExePath, dll) == 0) base = reinterpret_cast<UINT_PTR>(module.modBaseAddr);
  if (snapshot != INVALID_HANDLE_VALUE) CloseHandle(snapshot);
  return base;
}

// Loads qw_probe.dll into the window's process and runs ProbeWindow there, at the
// same offset from the DLL's base as here: the bases of the two processes may differ.
int Probe(HWND window, const wchar_t* file, const wchar_t* repaints) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  HANDLE process = OpenProcess(PROCESS_ALL_ACCESS, FALSE, pid);
  wchar_t dll[MAX_PATH];
  GetModuleFileNameW(nullptr, dll, MAX_PATH);
  wcscpy(wcsrchr(dll, L'\\') + 1, L"qw_probe.dll");
  HMODULE local = LoadLibraryW(dll);
  if (!process || !local) return 2;
  const UINT_PTR offset =
      reinterpret_cast<UINT_PTR>(GetProcAddress(local, "ProbeWindow")) - reinterpret_cast<UINT_PTR>(local);
  const std::wstring request = std::to_wstring(reinterpret_cast<UINT_PTR>(window)) + L" " + repaints + L" " + file;
  const size_t dllChars = wcslen(dll) + 1;
  auto* remote = static_cast<wchar_t*>(
      VirtualAllocEx(process, nullptr, (dllChars + request.size() + 1) * 2, MEM_COMMIT, PAGE_READWRITE));
  if (!remote) return 3;
  WriteProcessMemory(process, remote, dll, dllChars * 2, nullptr);
  WriteProcessMemory(process, remote + dllChars, request.c_str(), (request.size() + 1) * 2, nullptr);
  // kernel32 lies at the same address in every process of the session.
  auto run = [&](LPTHREAD_START_ROUTINE routine, void* argument) -> DWORD {
    HANDLE thread = CreateRemoteThread(process, nullptr, 0, routine, argument, 0, nullptr);
    DWORD result = 0;
    if (thread && WaitForSingleObject(thread, 10000) == WAIT_OBJECT_0) GetExitCodeThread(thread, &result);
    if (thread) CloseHandle(thread);
    return result;
  };
  run(reinterpret_cast<LPTHREAD_START_ROUTINE>(
          reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "LoadLibraryW"))),
      remote);
  const UINT_PTR base = RemoteBase(pid, dll);
  const DWORD result = base ? run(reinterpret_cast<LPTHREAD_START_ROUTINE>(base + offset), remote + dllChars) : 1;
  VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  CloseHandle(process);
  return result == 1 ? 0 : 4;
}

LRESULT CALLBACK PassOn(int code, WPARAM message, LPARAM data) { return CallNextHookEx(nullptr, code, message, data); }

int Hold(UINT vk, DWORD seconds, UINT modifiers) {
  if (vk == 0 ? !SetWindowsHookExW(WH_KEYBOARD_LL, PassOn, GetModuleHandleW(nullptr), 0)
              : !RegisterHotKey(nullptr, 1, modifiers, vk)) {
    return 1;
  }
  std::printf("held\n");
  std::fflush(stdout);
  for (const DWORD start = GetTickCount(); GetTickCount() - start < seconds * 1000;) {
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
  }
  return 0;
}

int Untray(HWND window, UINT id) {
  NOTIFYICONDATAW data = {};
  data.cbSize = sizeof(data), data.hWnd = window, data.uID = id;
  return Shell_NotifyIconW(NIM_DELETE, &data) ? 0 : 1;
}

// The process's creation time orders the lines of launches that race to the file.
int Log(int argc, wchar_t** argv) {
  FILETIME created, unused;
  GetProcessTimes(GetCurrentProcess(), &created, &unused, &unused, &unused);
  std::wstring line = std::to_wstring((ULONGLONG{created.dwHighDateTime} << 32) | created.dwLowDateTime);
  for (int i = 3; i < argc; ++i) line += L"\t" + std::wstring(argv[i]);
  return Append(argv[2], line + L"\n") ? 0 : 1;
}

const wchar_t* targetLog;

LRESULT CALLBACK TargetProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  static const wchar_t* const names[] = {L"LD", L"LU", L"", L"RD", L"RU", L"", L"MD", L"MU", L"", L"", L"XD", L"XU"};
  const bool button = message >= WM_LBUTTONDOWN && message <= WM_XBUTTONUP && *names[message - WM_LBUTTONDOWN];
  if (!button && message != WM_KEYDOWN && message != WM_KEYUP) return DefWindowProcW(window, message, wParam, lParam);
  LARGE_INTEGER now, frequency;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  // A button's point (the window's client area is the screen's), or a key's virtual key, scan code and extended flag.
  const std::wstring where = button ? std::to_wstring(static_cast<short>(LOWORD(lParam))) + L"," +
                                          std::to_wstring(static_cast<short>(HIWORD(lParam)))
                                    : std::to_wstring(wParam) + L"," + std::to_wstring((lParam >> 16) & 0xFF) + L"," +
                                          std::to_wstring((lParam >> 24) & 1);
  Append(targetLog, std::to_wstring(now.QuadPart * 1000000 / frequency.QuadPart) + L" " +
                        (button                  ? names[message - WM_LBUTTONDOWN]
                         : message == WM_KEYDOWN ? L"KD"
                                                 : L"KU") +
                        L" " + std::to_wstring(GetMessageTime()) + L" " + where + L"\n");
  return 0;
}

int Target(const wchar_t* log) {
  targetLog = log;
  WNDCLASSW c = {};
  c.lpfnWndProc = TargetProc, c.hCursor = LoadCursorW(nullptr, IDC_ARROW), c.lpszClassName = L"QwClickTarget";
  c.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  RegisterClassW(&c);
  // A row short of the screen: Wine confines the X pointer to an active full-screen window,
  // and then no other program's SetCursorPos moves the X pointer (Wine's cursor moves).
  if (!CreateWindowExW(0, c.lpszClassName, c.lpszClassName, WS_POPUP | WS_VISIBLE, 0, 0, GetSystemMetrics(SM_CXSCREEN),
                       GetSystemMetrics(SM_CYSCREEN) - 1, nullptr, nullptr, nullptr, nullptr) ||
      !Append(log, L"0 ready 0\n"))
    return 1;
  MSG m;
  while (GetMessageW(&m, nullptr, 0, 0) > 0) DispatchMessageW(&m);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
#ifdef QW_CLICK_TARGET
  constexpr bool clickTarget = true;
#else
  constexpr bool clickTarget = false;
#endif
  if (clickTarget && argc == 2) return Target(argv[1]);
  const std::wstring command = argc > 1 ? argv[1] : L"";
  if (command == L"find" && argc >= 4) return Find(argv[2], Number(argv[3]), argc > 4 ? argv[4] : nullptr);
  if (command == L"probe" && argc >= 4) return Probe(Window(argv[2]), argv[3], argc > 4 ? argv[4] : L"0");
  if ((command == L"send" || command == L"post") && argc == 6) {
    const UINT message = iswdigit(argv[3][0]) ? Number(argv[3]) : RegisterWindowMessageW(argv[3]);
    // "=text": a pointer to the text, which the system carries over for WM_SETTEXT.
    const LPARAM lParam = argv[5][0] == L'=' ? reinterpret_cast<LPARAM>(argv[5] + 1) : Number(argv[5]);
    if (command == L"post") return PostMessageW(Window(argv[2]), message, Number(argv[4]), lParam) ? 0 : 1;
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(Window(argv[2]), message, Number(argv[4]), lParam, SMTO_NORMAL, 10000, &result)) return 1;
    return std::printf("%lld\n", static_cast<long long>(static_cast<LONG_PTR>(result))), 0;
  }
  if (command == L"keys") {
    for (int i = 2; i < argc; ++i) std::printf(i + 1 < argc ? "%d " : "%d\n", GetAsyncKeyState(Number(argv[i])) < 0);
    return 0;
  }
  if (command == L"hold" && argc >= 4) return Hold(Number(argv[2]), Number(argv[3]), argc > 4 ? Number(argv[4]) : 0);
  if (command == L"untray" && argc == 4) return Untray(Window(argv[2]), Number(argv[3]));
  if (command == L"move" && argc == 4) {  // as another program moves the mouse: injected
    INPUT input = {};
    input.type = INPUT_MOUSE, input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    input.mi.dx = static_cast<LONG>(Number(argv[2]) * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1));
    input.mi.dy = static_cast<LONG>(Number(argv[3]) * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1));
    return SendInput(1, &input, sizeof(input)) == 1 ? 0 : 1;
  }
  if (command == L"log" && argc >= 3) return Log(argc, argv);
  return 64;
}
