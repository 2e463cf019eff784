// The global hot-keys, registered on the main dialog: the F-key pair, and beside it
// the start and stop triggers of the advanced settings.
#pragma once

#include <windows.h>

#include <string>

#include "clicker/triggers.h"

// The F-key pair's identifiers. A window's hot-keys need only differ from each other,
// below 0xC000, where shared libraries take theirs.
constexpr WORD StartHotKeyId = 1;
constexpr WORD StopHotKeyId = 2;

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
// button is taken from the whole session by the input hooks, which post WM_SIDEBUTTON
// to the dialog. Returns the triggers that cannot be had, a line each ("\nKEY=VALUE：
// why"), for the caller to name in one message; empty when all could.
std::wstring RegisterTriggers(HWND dialog);
// Releases the key triggers, so that the F-key pair can take any key; the side buttons
// stay with their roles until the next RegisterTriggers.
void ReleaseTriggers(HWND dialog);
