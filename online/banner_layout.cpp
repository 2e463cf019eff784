#include "online/banner_layout.h"

int32_t ThemeActiveFromBytes(const unsigned char* bytes) noexcept {
  const uint32_t value = static_cast<uint32_t>(bytes[0]) | (static_cast<uint32_t>(bytes[1]) << 8) |
                         (static_cast<uint32_t>(bytes[2]) << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
  return static_cast<int32_t>(value);
}

BannerLook LookFor(int32_t osMajorVersion, int32_t themeActiveValue) noexcept {
  return (osMajorVersion > 5 && themeActiveValue > 48) ? BannerLook::Themed : BannerLook::Classic;
}

BannerBox BannerRectFor(BannerLook look, int32_t width, int32_t height) noexcept {
  if (look == BannerLook::Themed) return {0, 0, width, height};
  return {0, 2, width, height + 2};
}

BannerBox FallbackLinkPlacement(BannerLook look, int32_t width, int32_t height) noexcept {
  return {0, look == BannerLook::Themed ? 0 : 2, width, height};
}

bool IsWinsockVersion22(uint16_t grantedVersion) noexcept {
  return (grantedVersion & 0xFF) == 2 && (grantedVersion >> 8) == 2;
}

BannerChoice WatchdogChoice(uint32_t waitResult) noexcept {
  return waitResult == WatchdogWaitTimeout ? BannerChoice::FallbackLink : BannerChoice::WebPage;
}
