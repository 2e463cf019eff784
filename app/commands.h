// The commands of the menu bar, the buttons, the tray menu and the online menu,
// and the help dialogs.
#pragma once

#include <windows.h>

INT_PTR OnCommand(HWND dialog, WPARAM wParam);

INT_PTR CALLBACK HelpDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
void ShowHelpDialog(int id);
void OpenWithShell(const wchar_t* path);
