// The main dialog: its procedure, which hands every message to the code that owns
// it, and its initialisation.
#pragma once

#include <windows.h>

#include "common/window_messages.h"

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
BOOL OnInitDialog(HWND dialog);
void InitControls(HWND dialog);
// The tooltip window of a dialog, and a control's tip in it.
HWND CreateToolTips(HWND dialog);
void AddToolTip(HWND tips, HWND control, const wchar_t* text);
// WM_DPICHANGED: the window moved to a monitor of another scale, or the scale changed.
INT_PTR OnDpiChanged(HWND dialog, WPARAM wParam, const RECT* suggested);

// Handles of the nine controls, fetched once by InitControls.
struct MainDialogControls {
  HWND startKey, endKey, leftMethod, rightMethod, leftInterval, rightInterval, save, tray, exit;
};
extern MainDialogControls mainControls;

// Set by the first banner message; never cleared.
extern bool bannerChosen;
