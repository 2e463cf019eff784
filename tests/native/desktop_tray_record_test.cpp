#include "desktop/tray_record.h"

#include <gtest/gtest.h>

#include <tuple>

TEST(TrayRecordSize, FullRecordFromShellFiveOnVersionTwoBefore) {
  const std::tuple<uint32_t, uint32_t, bool> cases[] = {
      {0, 0, false}, {4, 72, false}, {4, 0xFFFF, false}, {4, 0x10000, false} /* no spill into the major */,
      {5, 0, true},  {6, 1, true},   {0x10005, 0, true}};
  for (const auto& [major, minor, full] : cases)
    EXPECT_EQ(TrayRecordSize(PackShellVersion(major, minor), 956, 936), full ? 956u : 936u) << major << "." << minor;
  EXPECT_EQ(PackShellVersion(6, 1), 0x0006000100000000ull);
}
