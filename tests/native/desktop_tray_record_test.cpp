#include "desktop/tray_record.h"

#include <gtest/gtest.h>

namespace {

// The record sizes of NOTIFYICONDATAW in the platform headers: full and version 2.
constexpr uint32_t Full32 = 956, V2Size32 = 936;
constexpr uint32_t Full64 = 976, V2Size64 = 952;

TEST(TrayRecordSize, FullRecordFromShellFiveOnVersionTwoBefore) {
  const struct {
    uint32_t major, minor;
    bool full;
  } cases[] = {
      {0, 0, false}, {4, 0, false}, {4, 71, false}, {4, 72, false}, {4, 0xFFFF, false},
      {5, 0, true},  {5, 1, true},  {6, 0, true},   {6, 1, true},   {10, 0, true},
  };
  for (const auto& c : cases) {
    const uint64_t version = PackShellVersion(c.major, c.minor);
    EXPECT_EQ(TrayRecordSize(version, Full32, V2Size32), c.full ? Full32 : V2Size32) << c.major << "." << c.minor;
    EXPECT_EQ(TrayRecordSize(version, Full64, V2Size64), c.full ? Full64 : V2Size64) << c.major << "." << c.minor;
  }
}

TEST(PackShellVersion, UsesTheDllVersionLayoutAndNeverSpillsAField) {
  EXPECT_EQ(PackShellVersion(5, 0), 0x0005000000000000ull);
  EXPECT_EQ(PackShellVersion(6, 1), 0x0006000100000000ull);
  // A minor number too wide for its field does not turn 4.x into 5.0.
  EXPECT_EQ(TrayRecordSize(PackShellVersion(4, 0x10000), Full32, V2Size32), V2Size32);
  EXPECT_EQ(TrayRecordSize(PackShellVersion(0x10005, 0), Full32, V2Size32), Full32);
}

}  // namespace
