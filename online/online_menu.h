// The online menu: downloaded at start-up, shown as a pop-up of the menu bar.
#pragma once

#include <windows.h>

#include <vector>

#include "online/menu_document.h"

// Every entry of the online menu so far, in document order; read by
// OpenOnlineMenuItem. Lives for the whole run and is only ever appended to.
extern std::vector<OnlineMenuItem> onlineMenuItems;

// Downloads the menu unless the system says it is offline; reports with WM_ONLINEMENU.
DWORD WINAPI OnlineMenuThread(LPVOID dialog);
INT_PTR OnOnlineMenuXml(HWND dialog, const char* text);
INT_PTR OpenOnlineMenuItem(WPARAM command);
