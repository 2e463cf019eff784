// Where the banner strip goes and what the connectivity probe's outcome means.
// No Win32 here.
#pragma once

#include <cstdint>

// The look of the desktop decides the strip's top edge.
enum class BannerLook { Classic, Themed };

// A rectangle in the dialog's client pixels, laid out as a Win32 RECT.
struct BannerBox {
  int32_t left, top, right, bottom;
};

// What the strip shows, as the probe threads report it.
enum class BannerChoice { WebPage, FallbackLink };

// The registry holds "ThemeActive" as UTF-16 text ("1" or "0" with its terminator);
// its first four raw bytes read as a little-endian integer give 49 for "1" and 48
// for "0". Any other type is read the same way, so a DWORD 1 gives 1.
int32_t ThemeActiveFromBytes(const unsigned char* bytes) noexcept;

// Visual styles count only from major version 6 on, and only when "ThemeActive"
// reads above 48 ('0').
BannerLook LookFor(int32_t osMajorVersion, int32_t themeActiveValue) noexcept;

// A length of pixels at 100 % (96 DPI) at the window's DPI, rounded to the nearest
// pixel, halves away from zero, as MulDiv rounds.
int32_t ScaleForDpi(int32_t pixelsAt96, uint32_t dpi) noexcept;

// The strip itself, for a placeholder of width x height client pixels (dialog
// units, so already at the window's scale): at the top edge when themed, 2 pixels
// at 100 % down (under the upper etched line) when classic.
BannerBox BannerRectFor(BannerLook look, int32_t width, int32_t height, uint32_t dpi = 96) noexcept;

// The fallback link's place and size (left, top, width, height packed as a box:
// right and bottom hold the width and height, as CreateWindowExW takes them).
// It covers exactly the pixels of BannerRectFor.
BannerBox FallbackLinkPlacement(BannerLook look, int32_t width, int32_t height, uint32_t dpi = 96) noexcept;

// The link's picture: bitmap 107 (236 x 36) copied as it is while the link is no
// larger, as at 100 %; on a larger link the double-size picture shrunk to fill it,
// since an enlarged picture would blur and a copied one leave a band uncovered.
enum class BannerPicture { Original, Double };
constexpr int32_t BannerBitmapWidth = 236;
constexpr int32_t BannerBitmapHeight = 36;
BannerPicture PictureFor(int32_t width, int32_t height) noexcept;

// Winsock grants the version it can; the probe trusts only 2.2 (low byte major).
bool IsWinsockVersion22(uint16_t grantedVersion) noexcept;

// The watchdog's message: the link when the probe outlived its 1000 ms, the page
// in every other case (the probe has then already reported, and decided).
constexpr uint32_t WatchdogWaitTimeout = 258;  // WAIT_TIMEOUT
BannerChoice WatchdogChoice(uint32_t waitResult) noexcept;
