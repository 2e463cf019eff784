#include "online/banner.h"

void SetUpBanner(HWND) {}
void ShowWebBanner() {}
void ShowFallbackLink(HWND) {}
INT_PTR DrawBannerBitmap(const DRAWITEMSTRUCT*) { return TRUE; }
