// The online menu: downloaded at start-up, shown as a pop-up of the menu bar.
#pragma once

#include <windows.h>

DWORD WINAPI OnlineMenuThread(LPVOID dialog);
INT_PTR OnOnlineMenuXml(HWND dialog, const char* text);
INT_PTR OpenOnlineMenuItem(WPARAM command);
