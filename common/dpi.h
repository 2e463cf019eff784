// The scale the program's windows are drawn at.
#pragma once

#include <windows.h>

// WM_DPICHANGED: wParam carries the new DPI, lParam the rectangle the system
// suggests at that DPI. Older headers leave it out.
#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

// The DPI a window is drawn at: 96 at 100 %, 120 at 125 %, 144 at 150 %, 192 at 200 %.
UINT WindowDpi(HWND window);

// A system metric (SM_CXSMICON, SM_CXICON) as it is at that DPI.
int MetricForDpi(int metric, UINT dpi);
