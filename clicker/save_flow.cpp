#include "clicker/save_flow.h"

INT_PTR OnSaveCommand(HWND) { return TRUE; }

void CheckSettingsAtStartup(HWND) {}
