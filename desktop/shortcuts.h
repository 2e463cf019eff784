// Shortcuts to the program on the desktop and in the Start-menu programs folder.
// The user is told nothing, whether the shortcut is made or not.
#pragma once

#include <windows.h>

// What the shortcuts start and where, given once before the entry point runs; an
// empty target (a path too long to hold) makes no shortcut.
void SetShortcutTarget(const wchar_t* target, const wchar_t* workingDirectory);

// Both always return 1, the command's result.
INT_PTR AddDesktopShortcut(HWND dialog);
INT_PTR AddProgramsShortcut(HWND dialog);

// Writes a shell link at linkPath to target, started in the given working folder;
// replaces a file of that name. Needs COM on the calling thread.
void CreateShortcut(const wchar_t* target, const wchar_t* linkPath);
