// Registered in the test prefix as the http and https handler (see
// install_open_logger in harness.py): records what the shell was asked to open
// instead of starting a browser.
//   qw_open_logger.exe <log file> <what was opened>...
// Appends one UTF-8 line per launch: the process's creation time (100 ns units,
// which orders launches that race to the file) and every further argument, all
// separated by tabs. Started with no argument at all (a copy run as a program the
// shell should never have started), it logs to its own path followed by ".log".
#include <windows.h>
#include <shellapi.h>

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argv == nullptr) return 2;
  std::wstring logPath;
  if (argc >= 2) {
    logPath = argv[1];
  } else {
    wchar_t self[MAX_PATH];
    if (GetModuleFileNameW(nullptr, self, MAX_PATH) == 0) {
      LocalFree(argv);
      return 2;
    }
    logPath = std::wstring(self) + L".log";
  }
  FILETIME created = {}, exited = {}, kernel = {}, user = {};
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  const unsigned long long stamp =
      (static_cast<unsigned long long>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
  std::wstring line = std::to_wstring(stamp);
  for (int i = 2; i < argc; ++i) line += L"\t" + std::wstring(argv[i]);
  line += L"\n";

  std::string utf8(static_cast<size_t>(line.size()) * 4, '\0');
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), &utf8[0],
                                        static_cast<int>(utf8.size()), nullptr, nullptr);
  int result = 1;
  // Appends from several launches at once land whole: one write each, at the end.
  HANDLE file = CreateFileW(logPath.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    DWORD written = 0;
    if (WriteFile(file, utf8.data(), static_cast<DWORD>(bytes), &written, nullptr) && written == DWORD(bytes)) {
      result = 0;
    }
    CloseHandle(file);
  }
  LocalFree(argv);
  return result;
}
