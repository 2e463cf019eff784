#include "online/banner_layout.h"

int32_t ThemeActiveFromBytes(const unsigned char* bytes) noexcept {
  const uint32_t value = static_cast<uint32_t>(bytes[0]) | (static_cast<uint32_t>(bytes[1]) << 8) |
                         (static_cast<uint32_t>(bytes[2]) << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
  return static_cast<int32_t>(value);
}

BannerLook LookFor(int32_t osMajorVersion, int32_t themeActiveValue) noexcept {
  return (osMajorVersion > 5 && themeActiveValue > 48) ? BannerLook::Themed : BannerLook::Classic;
}

int32_t ScaleForDpi(int32_t pixelsAt96, uint32_t dpi) noexcept {
  const int64_t product = static_cast<int64_t>(pixelsAt96) * dpi;
  return static_cast<int32_t>(product >= 0 ? (product + 48) / 96 : -((-product + 48) / 96));
}

namespace {

int32_t TopFor(BannerLook look, uint32_t dpi) noexcept { return look == BannerLook::Themed ? 0 : ScaleForDpi(2, dpi); }

}  // namespace

BannerBox BannerRectFor(BannerLook look, int32_t width, int32_t height, uint32_t dpi) noexcept {
  const int32_t top = TopFor(look, dpi);
  return {0, top, width, height + top};
}

BannerBox FallbackLinkPlacement(BannerLook look, int32_t width, int32_t height, uint32_t dpi) noexcept {
  return {0, TopFor(look, dpi), width, height};
}

BannerPicture PictureFor(int32_t width, int32_t height) noexcept {
  return (width <= BannerBitmapWidth && height <= BannerBitmapHeight) ? BannerPicture::Original : BannerPicture::Double;
}

bool IsWinsockVersion22(uint16_t grantedVersion) noexcept {
  return (grantedVersion & 0xFF) == 2 && (grantedVersion >> 8) == 2;
}

BannerChoice WatchdogChoice(uint32_t waitResult) noexcept {
  return waitResult == WatchdogWaitTimeout ? BannerChoice::FallbackLink : BannerChoice::WebPage;
}
