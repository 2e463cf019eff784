#include "desktop/tray.h"

NOTIFYICONDATAW TrayIconData;

void PrepareTrayIcon(HWND) {}
uint64_t GetShellVersion(HMODULE) { return 0; }
void ShowTrayMenu(HWND) {}
