// The banner strip under the menu bar: the web page or the fallback link.
#pragma once

#include <windows.h>

void SetUpBanner(HWND dialog);
void ShowWebBanner();
void ShowFallbackLink(HWND dialog);
INT_PTR DrawBannerBitmap(const DRAWITEMSTRUCT* drawItem);
