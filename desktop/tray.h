// The notification-area icon and its menu.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <cstdint>

// The one record used for every add and delete of the icon; filled once.
extern NOTIFYICONDATAW TrayIconData;

void PrepareTrayIcon(HWND dialog);
// The version of a loaded shell library as MAKEDLLVERULL would give it; unloads it.
uint64_t GetShellVersion(HMODULE shellLibrary);
void ShowTrayMenu(HWND dialog);
