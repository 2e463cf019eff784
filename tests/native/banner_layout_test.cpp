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

TEST(BannerGeometry, StripAndLinkCoverTheSamePixelsInBothLooks) {
  // The link is placed as (left, top, width, height).
  const std::tuple<Look, int32_t, int32_t, BannerBox, BannerBox> cases[] = {
      {Look::Themed, 236, 36, {0, 0, 236, 36}, {0, 0, 236, 36}},
      {Look::Classic, 236, 36, {0, 2, 236, 38}, {0, 2, 236, 36}},
      {Look::Classic, 270, 33, {0, 2, 270, 35}, {0, 2, 270, 33}}};
  for (const auto& [look, width, height, strip, link] : cases) {
    const BannerBox gotStrip = BannerRectFor(look, width, height), gotLink = FallbackLinkPlacement(look, width, height);
    EXPECT_EQ(0, std::memcmp(&gotStrip, &strip, sizeof strip)) << width << "x" << height;
    EXPECT_EQ(0, std::memcmp(&gotLink, &link, sizeof link)) << width << "x" << height;
  }
}

TEST(BannerProbe, OnlyWinsockTwoPointTwoIsTrustedAndOnlyATimeOutShowsTheLink) {
  for (const uint16_t granted : {0x0101, 0x0102, 0x0201, 0}) EXPECT_FALSE(IsWinsockVersion22(granted)) << granted;
  EXPECT_TRUE(IsWinsockVersion22(0x0202));
  EXPECT_EQ(WatchdogChoice(258), BannerChoice::FallbackLink);     // WAIT_TIMEOUT
  EXPECT_EQ(WatchdogChoice(0), BannerChoice::WebPage);            // the probe reported first
  EXPECT_EQ(WatchdogChoice(0xFFFFFFFFu), BannerChoice::WebPage);  // WAIT_FAILED: no probe thread
}
