#include "common/dpi.h"

namespace {

// Windows 10 1607 and later know the DPI of each window and the metrics at any
// DPI. The functions are looked up, not linked, so the program still starts on
// Windows 7.
template <typename Function>
Function FindInUser32(const char* name) {
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  if (!user32) return nullptr;
  // Through void*: a FARPROC does not convert to another function type directly.
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(user32, name)));
}

}  // namespace

int MetricForDpi(int metric, UINT dpi) {
  using GetSystemMetricsForDpiProc = int(WINAPI*)(int, UINT);
  static const auto getSystemMetricsForDpi = FindInUser32<GetSystemMetricsForDpiProc>("GetSystemMetricsForDpi");
  // Before, a DPI-aware program is drawn at the system's DPI, which the plain
  // metrics are given at.
  return getSystemMetricsForDpi ? getSystemMetricsForDpi(metric, dpi) : GetSystemMetrics(metric);
}

UINT WindowDpi(HWND window) {
  using GetDpiForWindowProc = UINT(WINAPI*)(HWND);
  static const auto getDpiForWindow = FindInUser32<GetDpiForWindowProc>("GetDpiForWindow");
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
