// Test driver for the end-to-end tests: finds the program's windows, reads them
// (through qw_probe.dll inside the program's process where Wine needs that),
// sends messages, answers message boxes and holds hot-keys. Prints JSON on stdout.
//
//   qw_driver find <caption> <timeoutMs> [class]   -> {"hwnd":..,"pid":..}
//   qw_driver gone <hwnd> <timeoutMs>               -> waits until the window is gone or hidden
//   qw_driver probe <hwnd> <outFile>                -> the window as JSON, read from inside its process
//   qw_driver send|post <hwnd> <message> <wParam> <lParam>
//   qw_driver press <hwnd> <controlId>              -> BM_CLICK on a control (posted)
//   qw_driver settext <hwnd> <controlId> <text>
//   qw_driver select <hwnd> <controlId> <index>     -> CB_SETCURSEL
//   qw_driver hold-hotkey <virtualKey> <seconds>    -> registers a hot-key and keeps it
//   qw_driver topwindows <pid>                      -> the visible top-level windows of a process
//   qw_driver launch <exe> <caption> <timeoutMs>    -> starts a program, times its window's appearance
//   qw_driver version <file>                        -> the version block's numbers and names
//   qw_driver resolve-link <lnkFile>                -> a shortcut's target, working directory, arguments
//   qw_driver special-folder <csidl>                -> {"path":..} of a shell folder (16 desktop, 2 programs)
//   qw_driver register-message <name>               -> {"message":..}, the session's number for the name
//   qw_driver notify-delete <hwnd> <iconId>         -> removes a window's tray icon, as a restarting shell loses it
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "json_text.h"

namespace {

unsigned long Handle(HWND window) { return static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(window)); }
HWND ToWindow(const wchar_t* text) { return reinterpret_cast<HWND>(static_cast<UINT_PTR>(wcstoul(text, nullptr, 0))); }
long Number(const wchar_t* text) { return static_cast<long>(wcstoul(text, nullptr, 0)); }

int Find(const wchar_t* caption, DWORD timeoutMs, const wchar_t* className) {
  const DWORD start = GetTickCount();
  do {
    // Only a shown window counts: a dialog exists, hidden, while it initialises.
    HWND window = nullptr;
    while ((window = FindWindowExW(nullptr, window, className, caption)) != nullptr && !IsWindowVisible(window)) {
    }
    if (window) {
      DWORD pid = 0;
      GetWindowThreadProcessId(window, &pid);
      std::printf("{\"hwnd\":%lu,\"pid\":%lu,\"visible\":%s}\n", Handle(window), pid,
                  IsWindowVisible(window) ? "true" : "false");
      return 0;
    }
    Sleep(20);
  } while (GetTickCount() - start < timeoutMs);
  std::printf("{\"hwnd\":0}\n");
  return 1;
}

int Gone(HWND window, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  do {
    if (!IsWindow(window) || !IsWindowVisible(window)) {
      std::printf("{\"gone\":true}\n");
      return 0;
    }
    Sleep(20);
  } while (GetTickCount() - start < timeoutMs);
  std::printf("{\"gone\":false}\n");
  return 1;
}

// Loads qw_probe.dll into the window's process and runs ProbeWindow there. The
// DLL lands at the same base in both processes only by luck, so the function's
// address is its offset from the base the remote LoadLibraryW reported.
int Probe(HWND window, const wchar_t* outFile) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  HANDLE process = OpenProcess(PROCESS_ALL_ACCESS, FALSE, pid);
  if (!process) return 2;

  wchar_t dllPath[MAX_PATH];
  GetModuleFileNameW(nullptr, dllPath, MAX_PATH);
  wcscpy(wcsrchr(dllPath, L'\\') + 1, L"qw_probe.dll");
  HMODULE local = LoadLibraryW(dllPath);
  if (!local) return 3;
  const UINT_PTR offset = reinterpret_cast<UINT_PTR>(GetProcAddress(local, "ProbeWindow@4")
                                                         ? GetProcAddress(local, "ProbeWindow@4")
                                                         : GetProcAddress(local, "ProbeWindow")) -
                          reinterpret_cast<UINT_PTR>(local);

  wchar_t request[2 * MAX_PATH];
  swprintf(request, 2 * MAX_PATH, L"%lu %ls", Handle(window), outFile);
  const SIZE_T bytes = (wcslen(dllPath) + wcslen(request) + 2) * sizeof(wchar_t) + 16;
  auto* remote = static_cast<wchar_t*>(VirtualAllocEx(process, nullptr, bytes, MEM_COMMIT, PAGE_READWRITE));
  if (!remote) return 4;
  WriteProcessMemory(process, remote, dllPath, (wcslen(dllPath) + 1) * sizeof(wchar_t), nullptr);
  wchar_t* remoteRequest = remote + wcslen(dllPath) + 1;
  WriteProcessMemory(process, remoteRequest, request, (wcslen(request) + 1) * sizeof(wchar_t), nullptr);

  // kernel32 lies at the same address in every process of a session.
  auto loadLibrary = reinterpret_cast<LPTHREAD_START_ROUTINE>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "LoadLibraryW")));
  HANDLE thread = CreateRemoteThread(process, nullptr, 0, loadLibrary, remote, 0, nullptr);
  if (!thread || WaitForSingleObject(thread, 10000) != WAIT_OBJECT_0) return 5;
  DWORD remoteBase = 0;
  GetExitCodeThread(thread, &remoteBase);
  CloseHandle(thread);
  if (!remoteBase) return 6;

  auto probe = reinterpret_cast<LPTHREAD_START_ROUTINE>(static_cast<UINT_PTR>(remoteBase) + offset);
  thread = CreateRemoteThread(process, nullptr, 0, probe, remoteRequest, 0, nullptr);
  if (!thread || WaitForSingleObject(thread, 10000) != WAIT_OBJECT_0) return 7;
  DWORD result = 1;
  GetExitCodeThread(thread, &result);
  CloseHandle(thread);
  VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  CloseHandle(process);
  std::printf("{\"probe\":%lu}\n", result);
  return result == 0 ? 0 : 8;
}

int HoldHotKey(UINT virtualKey, DWORD seconds) {
  if (!RegisterHotKey(nullptr, 1, 0, virtualKey)) {
    std::printf("{\"held\":false}\n");
    return 1;
  }
  std::printf("{\"held\":true}\n");
  std::fflush(stdout);
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < seconds * 1000) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
  }
  return 0;
}

struct TopWindows {
  DWORD pid;
  std::string json;
};

BOOL CALLBACK CollectTopWindow(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<TopWindows*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid != search->pid || !IsWindowVisible(window)) return TRUE;
  char head[64];
  wsprintfA(head, "{\"hwnd\":%lu,\"caption\":", Handle(window));
  if (!search->json.empty()) search->json += ",";
  search->json += head + Quote(WindowText(window)) + ",\"class\":" + Quote(ClassNameOf(window)) + "}";
  return TRUE;
}

// Starts a program and measures the time until a shown window with the caption
// exists: {"ms": .., "pid": ..}. The program keeps running.
int Launch(const wchar_t* exe, const wchar_t* caption, DWORD timeoutMs) {
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
    HWND window = FindWindowW(nullptr, caption);
    QueryPerformanceCounter(&now);
    const double ms = (now.QuadPart - start.QuadPart) * 1000.0 / frequency.QuadPart;
    if (window && IsWindowVisible(window)) {
      std::printf("{\"ms\":%.1f,\"pid\":%lu}\n", ms, process.dwProcessId);
      return 0;
    }
    if (ms > timeoutMs) return 2;
    Sleep(1);
  }
}

// The file and product version and two strings of a program's version block.
int Version(const wchar_t* path) {
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeW(path, &handle);
  if (size == 0) return 1;
  std::string data(size, '\0');
  if (!GetFileVersionInfoW(path, 0, size, &data[0])) return 1;
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(&data[0], L"\\", reinterpret_cast<void**>(&fixed), &length)) return 1;
  auto text = [&](const wchar_t* name) {
    wchar_t* value = nullptr;
    UINT chars = 0;
    std::wstring key = std::wstring(L"\\StringFileInfo\\080404b0\\") + name;
    return VerQueryValueW(&data[0], key.c_str(), reinterpret_cast<void**>(&value), &chars) ? Quote(value)
                                                                                          : std::string("null");
  };
  std::printf("{\"file\":\"%u.%u.%u.%u\",\"product\":\"%u.%u.%u.%u\",\"description\":%s,\"name\":%s}\n",
              HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS), HIWORD(fixed->dwFileVersionLS),
              LOWORD(fixed->dwFileVersionLS), HIWORD(fixed->dwProductVersionMS), LOWORD(fixed->dwProductVersionMS),
              HIWORD(fixed->dwProductVersionLS), LOWORD(fixed->dwProductVersionLS), text(L"FileDescription").c_str(),
              text(L"ProductName").c_str());
  return 0;
}

// Reads a shell link back through the same object that writes them.
int ResolveLink(const wchar_t* linkPath) {
  if (FAILED(CoInitialize(nullptr))) return 2;
  int code = 3;
  IShellLinkW* link = nullptr;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                 reinterpret_cast<void**>(&link)))) {
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
      if (SUCCEEDED(file->Load(linkPath, STGM_READ))) {
        wchar_t target[MAX_PATH] = {}, directory[MAX_PATH] = {}, arguments[MAX_PATH] = {}, description[MAX_PATH] = {};
        link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH);
        link->GetWorkingDirectory(directory, MAX_PATH);
        link->GetArguments(arguments, MAX_PATH);
        link->GetDescription(description, MAX_PATH);
        std::printf("{\"target\":%s,\"workdir\":%s,\"arguments\":%s,\"description\":%s}\n", Quote(target).c_str(),
                    Quote(directory).c_str(), Quote(arguments).c_str(), Quote(description).c_str());
        code = 0;
      }
      file->Release();
    }
    link->Release();
  }
  CoUninitialize();
  return code;
}

int SpecialFolder(int folderId) {
  wchar_t path[MAX_PATH] = {};
  if (!SHGetSpecialFolderPathW(nullptr, path, folderId, FALSE)) return 1;
  std::printf("{\"path\":%s}\n", Quote(path).c_str());
  return 0;
}

int NotifyDelete(HWND window, UINT iconId) {
  NOTIFYICONDATAW data = {};
  data.cbSize = sizeof(data);
  data.hWnd = window;
  data.uID = iconId;
  return Shell_NotifyIconW(NIM_DELETE, &data) ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 64;
  const std::wstring command = argv[1];
  if (command == L"find" && argc >= 4) return Find(argv[2], Number(argv[3]), argc >= 5 ? argv[4] : nullptr);
  if (command == L"gone" && argc >= 4) return Gone(ToWindow(argv[2]), Number(argv[3]));
  if (command == L"probe" && argc >= 4) return Probe(ToWindow(argv[2]), argv[3]);
  if ((command == L"send" || command == L"post") && argc >= 6) {
    HWND window = ToWindow(argv[2]);
    const UINT message = Number(argv[3]);
    const WPARAM wParam = Number(argv[4]);
    const LPARAM lParam = Number(argv[5]);
    if (command == L"post") return PostMessageW(window, message, wParam, lParam) ? 0 : 1;
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, 10000, &result)) return 1;
    std::printf("{\"result\":%lu}\n", static_cast<unsigned long>(result));
    return 0;
  }
  if (command == L"press" && argc >= 4) {
    return PostMessageW(GetDlgItem(ToWindow(argv[2]), Number(argv[3])), BM_CLICK, 0, 0) ? 0 : 1;
  }
  if (command == L"settext" && argc >= 5) {
    return SetDlgItemTextW(ToWindow(argv[2]), Number(argv[3]), argv[4]) ? 0 : 1;
  }
  if (command == L"select" && argc >= 5) {
    SendDlgItemMessageW(ToWindow(argv[2]), Number(argv[3]), CB_SETCURSEL, static_cast<WPARAM>(_wtoi(argv[4])), 0);
    return 0;
  }
  if (command == L"launch" && argc >= 5) return Launch(argv[2], argv[3], Number(argv[4]));
  if (command == L"version" && argc >= 3) return Version(argv[2]);
  if (command == L"hold-hotkey" && argc >= 4) return HoldHotKey(Number(argv[2]), Number(argv[3]));
  if (command == L"topwindows" && argc >= 3) {
    TopWindows search{static_cast<DWORD>(Number(argv[2])), {}};
    EnumWindows(CollectTopWindow, reinterpret_cast<LPARAM>(&search));
    std::printf("[%s]\n", search.json.c_str());
    return 0;
  }
  if (command == L"resolve-link" && argc >= 3) return ResolveLink(argv[2]);
  if (command == L"special-folder" && argc >= 3) return SpecialFolder(Number(argv[2]));
  if (command == L"register-message" && argc >= 3) {
    std::printf("{\"message\":%u}\n", RegisterWindowMessageW(argv[2]));
    return 0;
  }
  if (command == L"notify-delete" && argc >= 4) return NotifyDelete(ToWindow(argv[2]), Number(argv[3]));
  return 64;
}
