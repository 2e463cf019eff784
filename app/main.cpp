// Process entry: single-instance guard, common controls and COM, the main dialog
// and the message loop.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "app/main_dialog.h"
#include "app/process_values.h"
#include "clicker/click_engine.h"
#include "clicker/settings.h"
#include "desktop/shortcuts.h"
#include "res/resource.h"

namespace {

// Built before the entry point runs, as the rest of the program expects; the
// subsystems get from here the paths they use and look up nothing of the shell's.
bool PrepareProcess() {
  BuildProcessValues();
  SetConfigFilePath(ConfigFilePath);
  SetShortcutTarget(ModulePath, ShortcutWorkingDirectory);
  InitializeClickLocks();
  return true;
}
const bool processValuesBuilt = PrepareProcess();

constexpr UINT StartupWarningStyle = MB_OK | MB_ICONWARNING | MB_TOPMOST;

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  (void)processValuesBuilt;

  // Kept open for the whole run: the name lives as long as this copy does. A second
  // copy would find its hot-keys taken, so it explains that and leaves.
  HANDLE instanceMutex = CreateMutexW(nullptr, TRUE, L"QW_ZURUROVUVU");
  if (instanceMutex != nullptr && GetLastError() == ERROR_ALREADY_EXISTS) {
    MessageBoxW(nullptr, L"青梧鼠标连点器只能打开一个程序。\n多次打开会造成热键因已被注册而无法使用。",
                L"已有程序在运行", StartupWarningStyle);
    return 0;
  }

  INITCOMMONCONTROLSEX controls = {8, 0xFF};  // ICC_WIN95_CLASSES: tooltips among them
  (void)InitCommonControlsEx(&controls);

  HWND dialog = CreateDialogParamW(instance, MAKEINTRESOURCEW(IDD_MAIN), nullptr, MainDialogProc, 0);
  if (dialog == nullptr) {
    // Without its window the program can do nothing, and nobody could end it.
    return 0;
  }
  ShowWindow(dialog, SW_SHOW);

  // Once the window shows: loading COM takes a while, and only shortcuts and the
  // strip's browser control need it, both later.
  if (FAILED(CoInitialize(nullptr))) {
    MessageBoxW(nullptr, L"初始化COM对象库失败，快捷方式操作可能无法进行。", L"初始化失败", StartupWarningStyle);
  }

  // The resources define no table, so this is null and translates nothing.
  HACCEL accelerators = LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDR_ACCELERATORS));

  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (IsDialogMessageW(dialog, &message)) continue;
    if (TranslateAcceleratorW(dialog, accelerators, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }

  CoUninitialize();
  return 0;
}
