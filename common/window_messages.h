// The program's private window messages, each with its parameters. The numbers are
// fixed: WM_TRAYICON, WM_ONLINEMENU and the two banner messages are the ones the
// main dialog has always answered.
#pragma once

#include <windows.h>

// To the main dialog.
constexpr UINT WM_TRAYICON = WM_USER;           // lParam: the tray icon's mouse message
constexpr UINT WM_ONLINEMENU = WM_USER + 4;     // lParam: the downloaded menu text
constexpr UINT WM_BANNER_WEB = WM_USER + 5;     // show the web banner page
constexpr UINT WM_BANNER_LINK = WM_USER + 6;    // show the fallback link
constexpr UINT WM_BANNER_LAYOUT = WM_USER + 7;  // lay the strip out again after a change of DPI
// A side button that is a trigger went down or up: wParam its TriggerRole, lParam
// MAKELPARAM(its virtual key, 1 when down).
constexpr UINT WM_SIDEBUTTON = WM_USER + 8;
constexpr UINT WM_BANNER_CHECKED = WM_USER + 9;  // wParam: the page answered 200 over a valid certificate
// The user moved the mouse by hand while the program clicked, from the input hooks.
constexpr UINT WM_HANDMOVED = WM_USER + 10;
// Posted to itself by the main dialog as it initialises: the window is up, and the
// rest of the start begins (the online extras).
constexpr UINT WM_WINDOWSHOWN = WM_USER + 11;

// To the window that began a pick or a capture, from the input hooks.
// A pick ended: wParam an InputSessionEnd, lParam the point picked as MAKELPARAM(x, y).
constexpr UINT WM_POINTPICKED = WM_APP + 1;
// A capture ended: wParam an InputSessionEnd, lParam the trigger taken as
// MAKELPARAM(its key, its modifiers).
constexpr UINT WM_TRIGGERCAPTURED = WM_APP + 2;
