// Helpers of the click automation's Win32 tests: a window to own hot-keys, a message
// box answered from another thread, and a key held by another process.
#pragma once

#include <windows.h>

#include <string>

namespace click_test {

// A hidden top-level window, standing in for the main dialog.
class OwnerWindow {
 public:
  OwnerWindow();
  ~OwnerWindow();
  OwnerWindow(const OwnerWindow&) = delete;
  OwnerWindow& operator=(const OwnerWindow&) = delete;
  HWND get() const { return window_; }

 private:
  HWND window_;
};

// Waits on a thread of its own for a message box with this caption, reads its text
// and answers it with OK.
class MessageBoxAnswerer {
 public:
  explicit MessageBoxAnswerer(const wchar_t* caption);
  ~MessageBoxAnswerer();
  MessageBoxAnswerer(const MessageBoxAnswerer&) = delete;
  MessageBoxAnswerer& operator=(const MessageBoxAnswerer&) = delete;
  // The box's text, owner and style once answered; false when none came in time.
  bool Wait();
  std::wstring text;
  HWND owner = nullptr;

 private:
  static DWORD WINAPI Run(LPVOID self);
  std::wstring caption_;
  HANDLE thread_;
  bool found_ = false;
};

// qw_driver.exe holding a hot-key in a process of its own until destroyed.
class KeyHeldElsewhere {
 public:
  explicit KeyHeldElsewhere(UINT virtualKey);
  ~KeyHeldElsewhere();
  KeyHeldElsewhere(const KeyHeldElsewhere&) = delete;
  KeyHeldElsewhere& operator=(const KeyHeldElsewhere&) = delete;
  bool held() const { return held_; }

 private:
  PROCESS_INFORMATION process_ = {};
  bool held_ = false;
};

// Whether another registration of the key would fail now: the key is taken.
inline bool KeyTaken(UINT virtualKey);

// Definitions: header-only, since every *_test.cpp of this folder is a test source.
inline OwnerWindow::OwnerWindow()
    : window_(CreateWindowExW(0, L"STATIC", L"qw hot-key owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr)) {}

inline OwnerWindow::~OwnerWindow() {
  if (window_) DestroyWindow(window_);
}

inline MessageBoxAnswerer::MessageBoxAnswerer(const wchar_t* caption) : caption_(caption), thread_(nullptr) {
  // Started once every member is in place.
  thread_ = CreateThread(nullptr, 0, Run, this, 0, nullptr);
}

inline MessageBoxAnswerer::~MessageBoxAnswerer() {
  if (thread_) {
    WaitForSingleObject(thread_, 15000);
    CloseHandle(thread_);
  }
}

inline bool MessageBoxAnswerer::Wait() {
  if (!thread_ || WaitForSingleObject(thread_, 15000) != WAIT_OBJECT_0) return false;
  return found_;
}

inline DWORD WINAPI MessageBoxAnswerer::Run(LPVOID param) {
  auto* self = static_cast<MessageBoxAnswerer*>(param);
  const DWORD begun = GetTickCount();
  while (GetTickCount() - begun < 10000) {
    HWND box = FindWindowW(L"#32770", self->caption_.c_str());
    if (box && IsWindowVisible(box)) {
      wchar_t text[1024] = {};
      GetDlgItemTextW(box, 0xFFFF, text, 1024);
      self->text = text;
      self->owner = GetWindow(box, GW_OWNER);
      self->found_ = true;
      PostMessageW(box, WM_COMMAND, IDOK, 0);
      return 0;
    }
    Sleep(10);
  }
  return 1;
}

inline KeyHeldElsewhere::KeyHeldElsewhere(UINT virtualKey) {
  // The driver is built beside the tests: <build>\e2e\qw_driver.exe, the tests in
  // <build>\tests\win32.
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring folder(self);
  folder.resize(folder.find_last_of(L'\\'));
  const std::wstring driver = folder + L"\\..\\..\\e2e\\qw_driver.exe";
  std::wstring command = L"\"" + driver + L"\" hold-hotkey " + std::to_wstring(virtualKey) + L" 60";

  SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return;
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = writeEnd;
  startup.hStdError = writeEnd;
  if (!CreateProcessW(driver.c_str(), &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process_)) {
    process_ = {};
  }
  CloseHandle(writeEnd);

  // The driver says whether it got the key, then keeps it.
  std::string output;
  const DWORD begun = GetTickCount();
  while (process_.hProcess && output.find('\n') == std::string::npos && GetTickCount() - begun < 15000) {
    DWORD available = 0;
    if (!PeekNamedPipe(readEnd, nullptr, 0, nullptr, &available, nullptr)) break;
    if (available == 0) {
      Sleep(10);
      continue;
    }
    char buffer[256];
    DWORD got = 0;
    if (!ReadFile(readEnd, buffer, sizeof(buffer), &got, nullptr)) break;
    output.append(buffer, got);
  }
  CloseHandle(readEnd);
  held_ = output.find("\"held\":true") != std::string::npos;
}

inline KeyHeldElsewhere::~KeyHeldElsewhere() {
  if (!process_.hProcess) return;
  TerminateProcess(process_.hProcess, 0);
  WaitForSingleObject(process_.hProcess, 10000);
  CloseHandle(process_.hProcess);
  CloseHandle(process_.hThread);
}

inline bool KeyTaken(UINT virtualKey) {
  constexpr int probeId = 0x3ABC;
  if (!RegisterHotKey(nullptr, probeId, 0, virtualKey)) return true;
  UnregisterHotKey(nullptr, probeId);
  return false;
}

}  // namespace click_test
