#include "app/commands.h"

#include <shellapi.h>

#include "app/advanced_dialog.h"
#include "common/maker_config.h"
#include "app/process_values.h"
#include "app/save_flow.h"
#include "app/sequence_dialog.h"
#include "desktop/shortcuts.h"
#include "desktop/tray.h"
#include "online/online_menu.h"
#include "res/resource.h"

namespace {

// The menu items that open a help dialog, and the dialog each opens.
const struct {
  WORD command;
  int dialog;
} HelpDialogs[] = {
    {IDM_HELP_USAGE, IDD_HELP_USAGE},   {IDM_HELP_REQUIREMENTS, IDD_HELP_REQUIREMENTS},
    {IDM_HELP_HOTKEY, IDD_HELP_HOTKEY}, {IDM_HELP_CONFIG, IDD_HELP_CONFIG},
    {IDM_CONTACT, IDD_CONTACT},
};

void ExitProgram(HWND dialog) {
  // The hot-keys and any click threads end with the process once the loop ends.
  DestroyWindow(dialog);
  PostQuitMessage(0);
}

void HideIntoTray(HWND dialog) {
  // Hidden also when the shell refuses the icon; it is added again when the
  // notification area is made anew (OnTaskbarCreated).
  AddTrayIcon();
  ShowWindow(dialog, SW_HIDE);
}

void OpenHelpFile(const wchar_t* name) {
  // A directory too long for the name leaves nothing to open rather than a
  // shortened path that names some other file.
  wchar_t path[PathCapacity];
  if (ModuleDirectory[0] == L'\0' || !JoinText(ModuleDirectory, name, path, PathCapacity)) return;
  OpenWithShell(path);
}

}  // namespace

void OpenWithShell(const wchar_t* path) { ShellExecuteW(nullptr, L"open", path, nullptr, nullptr, SW_SHOWNORMAL); }

INT_PTR CALLBACK HelpDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
    EndDialog(dialog, 0);
    return 1;
  }
  return 0;
}

void ShowHelpDialog(int id) {
  // No owner: the main dialog, the hot-keys and the tray keep working meanwhile.
  DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), nullptr, HelpDialogProc, 0);
}

INT_PTR OnCommand(HWND dialog, WPARAM wParam) {
  const WORD command = LOWORD(wParam);
  if (command >= ONLINE_MENU_FIRST_ID && command <= ONLINE_MENU_LAST_ID) return OpenOnlineMenuItem(wParam);
  for (const auto& help : HelpDialogs) {
    if (command == help.command) {
      ShowHelpDialog(help.dialog);
      return 1;
    }
  }

  switch (command) {
    case IDC_EXIT:
    case IDM_EXIT:
      ExitProgram(dialog);
      return 1;
    case IDC_TRAY:
    case IDM_TRAY:
      HideIntoTray(dialog);
      return 1;
    case IDC_SAVE:
    case IDM_SAVE:
      return OnSaveCommand(dialog);
    case IDM_ADVANCED:
      return OnAdvancedCommand(dialog);
    case IDM_SEQUENCE:
      return OnSequenceCommand(dialog);
    case IDM_MINIMIZE:
      ShowWindow(dialog, SW_MINIMIZE);
      return 1;
    case IDM_TRAY_SHOW:
      RestoreFromTray(dialog);
      return 1;
    case IDM_TRAY_EXIT:
      // The dialog goes with the process once the loop has ended.
      RemoveTrayIcon();
      PostQuitMessage(0);
      return 1;
    case IDM_ADD_DESKTOP:
      return AddDesktopShortcut(dialog);
    case IDM_ADD_PROGRAMS:
      return AddProgramsShortcut(dialog);
    case IDM_WEBSITE:
      OpenWithShell(QW_WEBSITE_URL);
      return 1;
    case IDM_OPEN_FAQ_FILE:
      OpenHelpFile(L"常见问题.txt");
      return 1;
    case IDM_OPEN_USAGE_FILE:
      OpenHelpFile(L"使用帮助.txt");
      return 1;
    default:
      return 0;
  }
}
