// The Save command and the start-up check of the loaded settings.
#pragma once

#include <windows.h>

INT_PTR OnSaveCommand(HWND dialog);
void CheckSettingsAtStartup(HWND dialog);
// The message for a settings file that could not be written.
void ShowWriteFailure(HWND owner);
