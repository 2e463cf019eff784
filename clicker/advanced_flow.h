// The advanced click settings in the INI file: loaded once at start-up, written by
// the dialog "高级设置".
#pragma once

#include <windows.h>

#include "clicker/advanced_settings.h"

// Reads the nine keys into AdvancedSettings. Keys that hold something malformed or
// out of range keep their defaults and are named, with what they may hold, in one
// message owned by the dialog; the file is left as it is.
void LoadAdvancedSettings(HWND dialog);

// Writes the nine keys. All nine writes are attempted even after a failure; true
// only when every one succeeded.
bool SaveAdvancedSettings(const AdvancedValues& values);
