// The banner strip at the window's scale: the classic look's offset, the strip and
// the link over the same pixels, and which picture paints the link.
#include <gtest/gtest.h>

#include "online/banner_layout.h"

namespace {

TEST(BannerAtDpi, ClassicOffsetScalesAsMulDivRoundsAndTheLinkCoversTheStrip) {
  struct Case {
    BannerLook look;
    uint32_t dpi;
    int32_t top;
  };
  const Case cases[] = {{BannerLook::Classic, 96, 2},
                        {BannerLook::Classic, 120, 3},
                        {BannerLook::Classic, 144, 3},
                        {BannerLook::Classic, 192, 4},
                        {BannerLook::Themed, 192, 0}};
  for (const Case& c : cases) {
    const BannerBox strip = BannerRectFor(c.look, 439, 70, c.dpi);
    const BannerBox link = FallbackLinkPlacement(c.look, 439, 70, c.dpi);
    EXPECT_EQ(strip.top, c.top) << c.dpi;
    EXPECT_EQ(strip.bottom - strip.top, 70) << c.dpi;  // the placeholder's height, already scaled
    EXPECT_EQ(link.top, strip.top) << c.dpi;
    EXPECT_EQ(link.bottom, strip.bottom - strip.top) << c.dpi;
  }
}

TEST(BannerAtDpi, PictureIsTheOriginalUpToItsOwnSizeAndTheDoubleOneBeyond) {
  struct Case {
    int32_t width, height;
    BannerPicture expected;
  };
  const Case cases[] = {{236, 35, BannerPicture::Original},
                        {236, 36, BannerPicture::Original},
                        {270, 45, BannerPicture::Double},
                        {237, 30, BannerPicture::Double},
                        {200, 37, BannerPicture::Double}};
  for (const Case& c : cases) EXPECT_EQ(PictureFor(c.width, c.height), c.expected) << c.width << "x" << c.height;
}

}  // namespace
