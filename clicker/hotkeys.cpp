#include "clicker/hotkeys.h"

WORD StartHotKeyId = 0;
WORD StopHotKeyId = 0;

bool RegisterClickHotKeys(HWND) { return false; }
bool ReregisterClickHotKeys(HWND) { return false; }
