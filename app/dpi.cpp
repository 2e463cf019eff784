#include "app/dpi.h"

namespace {

using GetDpiForWindowProc = UINT(WINAPI*)(HWND);

// Windows 10 1607 and later know the DPI of each window. The function is looked
// up, not linked, so the program still starts on Windows 7.
GetDpiForWindowProc FindGetDpiForWindow() {
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  if (!user32) return nullptr;
  // Through void*: a FARPROC does not convert to another function type directly.
  return reinterpret_cast<GetDpiForWindowProc>(reinterpret_cast<void*>(GetProcAddress(user32, "GetDpiForWindow")));
}

}  // namespace

UINT WindowDpi(HWND window) {
  static const GetDpiForWindowProc getDpiForWindow = FindGetDpiForWindow();
  if (getDpiForWindow) {
    const UINT dpi = getDpiForWindow(window);
    if (dpi != 0) return dpi;
  }
  // Before, a DPI-aware program is drawn at the system's DPI everywhere.
  HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
  if (screen) ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}
