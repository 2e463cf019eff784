#include "online/banner_layout.h"

#include <gtest/gtest.h>

#include <cstring>
#include <tuple>

using Look = BannerLook;

TEST(BannerStripLook, ThemedOnlyFromVersionSixWithThemeActiveText1) {
  // The registry value's first bytes: "1" and "0" as UTF-16 text, a DWORD 1, nothing, a negative number.
  const unsigned char one[8] = {'1'}, zero[8] = {'0'}, dword[8] = {1}, none[8] = {}, negative[8] = {0, 0, 0, 0x80},
                      zeroThenOne[8] = {'0', 0, '1'};  // all four bytes count
  const std::tuple<int32_t, const unsigned char*, Look> cases[] = {
      {6, one, Look::Themed},    {10, one, Look::Themed},      {5, one, Look::Classic},  // XP: classic always
      {0, one, Look::Classic},   {6, zero, Look::Classic},     {6, none, Look::Classic},
      {6, dword, Look::Classic}, {6, negative, Look::Classic}, {6, zeroThenOne, Look::Themed}};
  for (const auto& [major, bytes, look] : cases) {
    EXPECT_EQ(LookFor(major, ThemeActiveFromBytes(bytes)), look) << major << "/" << +bytes[0] << "/" << +bytes[3];
  }
}

TEST(BannerGeometry, StripAndLinkCoverTheSamePixelsInBothLooksAndThePictureFitsTheLink) {
  // The link is placed as (left, top, width, height); at 120 DPI the offset of 2.5 pixels rounds up.
  const std::tuple<Look, uint32_t, int32_t, int32_t, BannerBox, BannerBox> cases[] = {
      {Look::Themed, 96, 236, 36, {0, 0, 236, 36}, {0, 0, 236, 36}},
      {Look::Classic, 96, 236, 36, {0, 2, 236, 38}, {0, 2, 236, 36}},
      {Look::Classic, 120, 270, 33, {0, 3, 270, 36}, {0, 3, 270, 33}}};
  for (const auto& [look, dpi, width, height, strip, link] : cases) {
    const BannerBox gotStrip = BannerRectFor(look, width, height, dpi);
    const BannerBox gotLink = FallbackLinkPlacement(look, width, height, dpi);
    EXPECT_EQ(0, std::memcmp(&gotStrip, &strip, sizeof strip)) << width << "x" << height;
    EXPECT_EQ(0, std::memcmp(&gotLink, &link, sizeof link)) << width << "x" << height;
  }
  // The picture as it is up to its own size, the double one shrunk beyond it.
  const std::tuple<int32_t, int32_t, BannerPicture> pictures[] = {
      {236, 36, BannerPicture::Original}, {237, 30, BannerPicture::Double}, {200, 37, BannerPicture::Double}};
  for (const auto& [width, height, picture] : pictures) EXPECT_EQ(PictureFor(width, height), picture) << width;
}

TEST(BannerProbe, OnlyWinsockTwoPointTwoIsTrustedAndOnlyATimeOutShowsTheLink) {
  for (const uint16_t granted : {0x0101, 0x0102, 0x0201, 0}) EXPECT_FALSE(IsWinsockVersion22(granted)) << granted;
  EXPECT_TRUE(IsWinsockVersion22(0x0202));
  EXPECT_EQ(WatchdogChoice(258), BannerChoice::FallbackLink);     // WAIT_TIMEOUT
  EXPECT_EQ(WatchdogChoice(0), BannerChoice::WebPage);            // the probe reported first
  EXPECT_EQ(WatchdogChoice(0xFFFFFFFFu), BannerChoice::WebPage);  // WAIT_FAILED: no probe thread
}
