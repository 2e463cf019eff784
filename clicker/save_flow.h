// The Save command and the start-up check of the loaded settings.
#pragma once

#include <windows.h>

INT_PTR OnSaveCommand(HWND dialog);
void CheckSettingsAtStartup(HWND dialog);
