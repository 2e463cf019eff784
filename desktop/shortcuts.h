// Shortcuts to the program on the desktop and in the Start-menu programs folder.
// The user is told nothing, whether the shortcut is made or not.
#pragma once

#include <windows.h>

// Both always return 1, the command's result.
INT_PTR AddDesktopShortcut(HWND dialog);
INT_PTR AddProgramsShortcut(HWND dialog);

// Writes a shell link at linkPath to target, started in ShortcutWorkingDirectory;
// replaces a file of that name. Needs COM on the calling thread.
void CreateShortcut(const wchar_t* target, const wchar_t* linkPath);
