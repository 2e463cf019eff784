// The program's low-level mouse and keyboard hooks: the side buttons that are
// triggers, and a pick or a capture of the dialog "高级设置". They all run on one
// thread of their own that does nothing but answer them, since every key and button
// of the session waits for a low-level hook and the system silently drops a hook that
// answers late, while the dialogs' thread may be busy for seconds (the browser
// control, the shell, a message box). Each hook is set at most once, and only while
// something needs it.
#pragma once

#include <windows.h>

#include <cstdint>

#include "clicker/input_session.h"

// Marks the mouse and key events the program sends itself, so that its hooks know them.
constexpr ULONG_PTR OwnInputSignature = 0x51574331;

// The side buttons' roles as triggers (a TriggerRole, or -1: none). Their presses and
// releases are kept from every window and posted to window as WM_SIDEBUTTON. A
// button whose press was kept this way has its release kept and posted too, whatever
// the roles have become meanwhile, so that a hold always ends. False when the mouse
// hook they need cannot be set.
bool SetSideButtonRoles(HWND window, int xButton1Role, int xButton2Role);

// Begins a pick or a capture for window, which is told its end by WM_POINTPICKED or
// WM_TRIGGERCAPTURED. False when one is already running or a hook cannot be set.
bool BeginInputSession(HWND window, InputSessionKind kind);
// Ends the session, if any: nothing more is posted for it, and its hooks go unless
// the side buttons need the mouse hook.
void EndInputSession();

// While threshold is above 0, a move of the mouse by the user (any move but the
// program's own, other programs' injected ones included) that ends threshold pixels
// or more from the reference point posts WM_HANDMOVED to window, once; the watch is
// then off until the next call. 0: off. Any thread.
void SetMoveWatch(HWND window, int32_t threshold);
// Where the program put or found the cursor: set before its own moves, so that they
// never count. Any thread.
void SetMoveReference(int32_t x, int32_t y);
