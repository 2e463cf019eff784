// The two global hot-keys, registered on the main dialog.
#pragma once

#include <windows.h>

extern WORD StartHotKeyId;
extern WORD StopHotKeyId;

bool RegisterClickHotKeys(HWND dialog);
bool ReregisterClickHotKeys(HWND dialog);
