// What the dialogs "高级设置" and "序列" share in reading their fields and in a pick or
// a capture begun from them.
#pragma once

#include <windows.h>

#include <string>

#include "clicker/input_session.h"

extern const wchar_t CoordinateAllowed[];

// A field's text, as much as the dialogs' fields hold.
std::wstring TextOf(HWND dialog, int id);

// Names the field and what it may hold in a box with that caption, and puts the
// focus on the field; false, for the reader to return.
bool Refuse(HWND dialog, int id, const std::wstring& field, const wchar_t* allowed, const wchar_t* caption);

// The timer of a pick's time limit; the dialog ends the pick, cancelled, on it.
constexpr UINT_PTR PickTimerId = 1;

// Begins a pick or a capture for dialog, told its end by WM_POINTPICKED or
// WM_TRIGGERCAPTURED. A pick hides the dialog and its owner until EndDialogSession.
// False, once the user has been told in a box with that caption, when the hooks
// cannot be had.
bool BeginDialogSession(HWND dialog, InputSessionKind kind, const wchar_t* caption);
// Ends the session; after a pick both windows are back and the dialog in front.
void EndDialogSession(HWND dialog);
