#include "online/online_menu.h"

DWORD WINAPI OnlineMenuThread(LPVOID) { return 0; }
INT_PTR OnOnlineMenuXml(HWND, const char*) { return TRUE; }
INT_PTR OpenOnlineMenuItem(WPARAM) { return TRUE; }
