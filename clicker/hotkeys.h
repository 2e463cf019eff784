// The two global hot-keys, registered on the main dialog.
#pragma once

#include <windows.h>

// From the global atoms "Qw_ZururOvuvu_Start" and "Qw_ZururOvuvu_End": derived by the
// first registration of either kind and kept for the whole run.
extern WORD StartHotKeyId;
extern WORD StopHotKeyId;
bool HotKeyIdsDerived();

// The virtual key registered as the start key and the window it is registered on,
// or 0 and null before any registration succeeded. After a save whose write failed
// this key differs from ClickSettings.StartKey.
UINT RegisteredStartKey();
HWND HotKeyWindow();

// Registers the start key, then the stop key, from ClickSettings. Either both end up
// registered, or neither: a start key alone would begin clicking that no key ends.
bool RegisterClickHotKeys(HWND dialog);
// The same after releasing both keys first, so that swapping the start and stop keys
// does not collide with the program's own earlier registration.
bool ReregisterClickHotKeys(HWND dialog);
