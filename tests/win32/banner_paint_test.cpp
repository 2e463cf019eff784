// Painting the fallback link: the bitmap really is drawn, and repeated paints leave
// no GDI objects behind. A leak shows only after many paints in a long-running
// program, which no end-to-end run reaches.
#include "online/banner.h"

#include <gtest/gtest.h>

#include <algorithm>

// Where GetGuiResources counts GDI objects, its count; otherwise (Wine) the highest
// table index, in the low word of a handle, that a batch of fresh objects gets.
// Freed slots are handed out again first, so that index grows only while objects
// are left behind.
long GdiObjectsInUse() {
  if (const DWORD count = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS)) return static_cast<long>(count);
  HBRUSH probes[32];
  long highest = 0;
  for (HBRUSH& probe : probes) {
    probe = CreateSolidBrush(0);
    highest = std::max(highest, static_cast<long>(reinterpret_cast<UINT_PTR>(probe) & 0xFFFF));
  }
  for (HBRUSH probe : probes) DeleteObject(probe);
  return highest;
}

TEST(BannerBitmap, RepeatedPaintsDrawTheBitmapAndLeaveNoGdiObjectsBehind) {
  BITMAPINFO info = {};
  info.bmiHeader = {sizeof(info.bmiHeader), 236, -36, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  DWORD* pixels = nullptr;
  HDC canvas = CreateCompatibleDC(nullptr);
  HBITMAP target = CreateDIBSection(canvas, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&pixels), nullptr, 0);
  HGDIOBJ previous = SelectObject(canvas, target);
  std::fill(pixels, pixels + 236 * 36, 0x00FF00FFu);
  DRAWITEMSTRUCT item = {};
  item.CtlType = ODT_STATIC;
  item.hDC = canvas;
  item.rcItem = RECT{0, 0, 236, 36};
  EXPECT_EQ(DrawBannerBitmap(&item), TRUE);  // anything created once for good is in place now
  GdiFlush();
  EXPECT_GT(std::count_if(pixels, pixels + 236 * 36, [](DWORD p) { return (p & 0xFFFFFF) != 0xFF00FF; }), 236 * 18)
      << "bitmap 107 was not painted";
  const long before = GdiObjectsInUse();
  for (int i = 0; i < 500; ++i) DrawBannerBitmap(&item);
  EXPECT_LE(GdiObjectsInUse(), before + 8);
  SelectObject(canvas, previous);
  DeleteObject(target);
  DeleteDC(canvas);
}
