// Shortcuts to the program on the desktop and in the Start-menu programs folder.
#pragma once

#include <windows.h>

INT_PTR AddDesktopShortcut(HWND dialog);
INT_PTR AddProgramsShortcut(HWND dialog);
void CreateShortcut(const wchar_t* target, const wchar_t* linkPath);
