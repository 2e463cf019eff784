// The global hot-keys, registered on the main dialog: the F-key pair, and beside it
// the start and stop triggers of the advanced settings.
#pragma once

#include <windows.h>

#include "clicker/triggers.h"

// From the global atoms "Qw_ZururOvuvu_Start" and "Qw_ZururOvuvu_End": derived by the
// first registration of either kind and kept for the whole run.
extern WORD StartHotKeyId;
extern WORD StopHotKeyId;

// The window the F-keys were last registered on, or null before any registration
// succeeded.
HWND HotKeyWindow();

// Registers the start key, then the stop key, from ClickSettings. Either both end up
// registered, or neither: a start key alone would begin clicking that no key ends.
bool RegisterClickHotKeys(HWND dialog);
// The same after releasing both keys first, so that swapping the start and stop keys
// does not collide with the program's own earlier registration.
bool ReregisterClickHotKeys(HWND dialog);

// What a WM_HOTKEY identifier does, and in key the virtual key whose release ends a
// hold of it: for the start F-key the one registered, which after a save whose write
// failed differs from ClickSettings.StartKey. Identifiers that are not a start or a
// toggle stop.
TriggerRole HotKeyRole(WPARAM id, UINT& key);

// Registers the triggers of AdvancedSettings after releasing the earlier ones, only
// while the F-key pair is registered: without it clicking cannot start at all. A side
// button is taken from the whole session by a mouse hook, set only while one is a
// trigger, which posts WM_SIDEBUTTON to the dialog. Triggers that cannot be had are
// named in one message.
void RegisterTriggers(HWND dialog);
void ReleaseTriggers(HWND dialog);
