// The main dialog: its procedure, which hands every message to the code that owns
// it, and its initialisation.
#pragma once

#include <windows.h>

// Private messages of the main dialog.
constexpr UINT WM_TRAYICON = WM_USER;            // the tray icon's mouse activity
constexpr UINT WM_ONLINEMENU = WM_USER + 4;      // lParam: the downloaded menu text
constexpr UINT WM_BANNER_WEB = WM_USER + 5;      // show the web banner page
constexpr UINT WM_BANNER_LINK = WM_USER + 6;     // show the fallback link
constexpr UINT WM_BANNER_LAYOUT = WM_USER + 7;   // lay the strip out again after a change of DPI
// A side button that is a trigger went down or up: wParam its TriggerRole, lParam
// MAKELPARAM(its virtual key, 1 when down).
constexpr UINT WM_SIDEBUTTON = WM_USER + 8;
constexpr UINT WM_BANNER_CHECKED = WM_USER + 9;  // wParam: the page answered over a valid certificate

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
BOOL OnInitDialog(HWND dialog);
void InitControls(HWND dialog);
void AddToolTip(HWND control, const wchar_t* text);
// WM_DPICHANGED: the window moved to a monitor of another scale, or the scale changed.
INT_PTR OnDpiChanged(HWND dialog, WPARAM wParam, const RECT* suggested);

// Handles of the nine controls, fetched once by InitControls.
struct MainDialogControls {
  HWND startKey, endKey, leftMethod, rightMethod, leftInterval, rightInterval, save, tray, exit;
};
extern MainDialogControls mainControls;

// Set by the first banner message; never cleared.
extern bool bannerChosen;
