// The Save command, the start-up check of the loaded settings, and the messages that
// tell the user what of the settings could not be used.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

INT_PTR OnSaveCommand(HWND dialog);
// The six main keys, then the advanced ones, checked and registered.
void CheckSettingsAtStartup(HWND dialog);
// The message for a settings file that could not be written.
void ShowWriteFailure(HWND owner);
// Names the triggers that could not be had (RegisterTriggers' lines), if any.
void ReportTriggerFailures(HWND owner, const std::wstring& failures);
// Names the buttons a start left idle because their fixed point is on no monitor.
void ReportPointsOffScreen(HWND owner, uint32_t offScreen);
