// The notification-area icon and its menu. The icon exists only while the main
// dialog is hidden in the tray.
#pragma once

#include <windows.h>
#include <shellapi.h>
#include <shlwapi.h>

#include <cstdint>

// The one record used for every add and delete of the icon; filled once.
extern NOTIFYICONDATAW TrayIconData;

// Fills TrayIconData for the dialog, with the small icon at the notification area's
// scale, or where the system cannot give one, the dialog's small icon.
void PrepareTrayIcon(HWND dialog);
// The dialog's new small icon (the window's scale changed), shown at once when the
// icon is there and stands in for one at the notification area's scale.
void SetTrayIconPicture(HICON icon);
// The version of a loaded shell library as MAKEDLLVERULL would give it (0 when it
// cannot be read); unloads the library in every case.
uint64_t GetShellVersion(HMODULE shellLibrary);
void ShowTrayMenu(HWND dialog);

// Shell_NotifyIconW with NIM_ADD / NIM_DELETE and TrayIconData. Their results are
// not examined: the dialog hides or shows whether the shell took the icon or not.
void AddTrayIcon();
void RemoveTrayIcon();
// Back from the tray: the icon goes and the dialog shows.
void RestoreFromTray(HWND dialog);

// The shell sends the registered message "TaskbarCreated" to every top-level window
// when the notification area is made anew (the shell restarted), and the icons it
// had are gone. While the dialog sits hidden in the tray the icon is the only way
// back to it, so it is added again then; otherwise nothing happens.
bool IsTaskbarCreatedMessage(UINT message);
INT_PTR OnTaskbarCreated();
