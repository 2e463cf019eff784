// The banner strip's rules: the registry bytes of "ThemeActive", the look, the
// geometry of the strip and the link, and how the probe's outcomes are read.
#include <gtest/gtest.h>

#include <cstring>

#include "online/banner_layout.h"

namespace {

struct ThemeBytesCase {
  const char* name;
  unsigned char bytes[8];
  int32_t expected;
};

TEST(ThemeActiveFromBytes, ReadsTheFirstFourBytesLittleEndian) {
  const ThemeBytesCase cases[] = {
      {"text 1 in UTF-16", {'1', 0, 0, 0, 0, 0, 0, 0}, 49},
      {"text 0 in UTF-16", {'0', 0, 0, 0, 0, 0, 0, 0}, 48},
      {"DWORD 1", {1, 0, 0, 0, 0, 0, 0, 0}, 1},
      {"nothing read (zeroed buffer)", {0, 0, 0, 0, 0, 0, 0, 0}, 0},
      {"two characters: the second one counts too", {'1', 0, '0', 0, 0, 0, 0, 0}, 49 + (48 << 16)},
      {"8-bit text 1", {'1', 0, 'x', 'y', 0, 0, 0, 0}, 49 + ('x' << 16) + ('y' << 24)},
      {"high bit set is negative", {0, 0, 0, 0x80, 0, 0, 0, 0}, INT32_MIN},
  };
  for (const ThemeBytesCase& c : cases) EXPECT_EQ(ThemeActiveFromBytes(c.bytes), c.expected) << c.name;
}

TEST(LookFor, ThemedOnlyFromVersionSixWithThemeActiveAboveZeroCharacter) {
  struct Case {
    int32_t major, themeActive;
    BannerLook expected;
  };
  const Case cases[] = {
      {5, 49, BannerLook::Classic},                                // XP is classic whatever the registry says
      {6, 49, BannerLook::Themed},                                 // Vista and later with "1"
      {10, 49, BannerLook::Themed}, {6, 48, BannerLook::Classic},  // "0"
      {6, 0, BannerLook::Classic},                                 // value missing
      {6, 1, BannerLook::Classic},                                 // a DWORD 1 fails the test
      {0, 49, BannerLook::Classic},                                // version unknown
      {6, -1, BannerLook::Classic},
  };
  for (const Case& c : cases) EXPECT_EQ(LookFor(c.major, c.themeActive), c.expected) << c.major << "/" << c.themeActive;
}

TEST(BannerGeometry, StripAndLinkCoverTheSamePixelsInBothLooks) {
  struct Case {
    BannerLook look;
    int32_t width, height;
    BannerBox strip, link;
  };
  const Case cases[] = {
      {BannerLook::Themed, 236, 36, {0, 0, 236, 36}, {0, 0, 236, 36}},
      {BannerLook::Classic, 236, 36, {0, 2, 236, 38}, {0, 2, 236, 36}},
      {BannerLook::Classic, 270, 33, {0, 2, 270, 35}, {0, 2, 270, 33}},
      {BannerLook::Themed, 0, 0, {0, 0, 0, 0}, {0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    const BannerBox strip = BannerRectFor(c.look, c.width, c.height);
    const BannerBox link = FallbackLinkPlacement(c.look, c.width, c.height);
    EXPECT_EQ(0, std::memcmp(&strip, &c.strip, sizeof strip)) << c.width << "x" << c.height;
    EXPECT_EQ(0, std::memcmp(&link, &c.link, sizeof link)) << c.width << "x" << c.height;
    // Same pixels: the link's (x, y, width, height) is the strip's rectangle.
    EXPECT_EQ(link.left, strip.left);
    EXPECT_EQ(link.top, strip.top);
    EXPECT_EQ(link.right, strip.right - strip.left);
    EXPECT_EQ(link.bottom, strip.bottom - strip.top);
  }
}

TEST(ProbeOutcome, OnlyWinsockTwoPointTwoIsTrusted) {
  struct Case {
    uint16_t granted;
    bool trusted;
  };
  const Case cases[] = {{0x0202, true}, {0x0101, false}, {0x0102, false}, {0x0201, false}, {0, false}};
  for (const Case& c : cases) EXPECT_EQ(IsWinsockVersion22(c.granted), c.trusted) << std::hex << c.granted;
}

TEST(ProbeOutcome, WatchdogShowsTheLinkOnlyWhenTheProbeOutlivedItsWait) {
  EXPECT_EQ(WatchdogChoice(258), BannerChoice::FallbackLink);     // WAIT_TIMEOUT
  EXPECT_EQ(WatchdogChoice(0), BannerChoice::WebPage);            // WAIT_OBJECT_0: the probe reported first
  EXPECT_EQ(WatchdogChoice(0xFFFFFFFFu), BannerChoice::WebPage);  // WAIT_FAILED: no probe thread
}

}  // namespace
