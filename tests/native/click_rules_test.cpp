#include "clicker/click_rules.h"

#include <gtest/gtest.h>

#include <cstring>
#include <tuple>
#include <utility>

TEST(ClickRules, BasicRulesAndStartupCheckJudgeEveryCase) {
  // The values in INI order; whether MeetsBasicRules holds; PassesStartupCheck: those rules, every value meaningful.
  // clang-format off
  const std::tuple<ClickValues, bool, bool> cases[] = {
      {{8, 10, 1, 0, 1000, 1000}, true, true}, {{4, 4, 1, 0, 500, 500}, false, false},  // defaults; equal hot-keys
      {{8, 10, 0, 0, 500, 500}, false, false},                                          // both buttons disabled
      {{8, 10, 1, 0, 0, 500}, false, false}, {{8, 10, 0, 2, 500, 0}, false, false},  // enabled with interval 0
      {{8, 10, 2, 0, 500, 0}, true, true}, {{0, 1, 0, 1, 0, 1}, true, true},  // disabled with interval 0: fine
      {{10, 0, 2, 2, INT32_MAX, 1}, true, true},  // highest key and method, largest interval
      {{11, 10, 1, 0, 1000, 1000}, true, false}, {{8, 11, 1, 0, 1000, 1000}, true, false},  // key 11
      {{-1, 10, 1, 0, 1000, 1000}, true, false}, {{8, -1, 1, 0, 1000, 1000}, true, false},  // no key selected
      {{8, 10, 3, 0, 1000, 1000}, true, false}, {{8, 10, 1, 3, 1000, 1000}, true, false},  // method 3
      {{8, 10, -1, 0, 1000, 1000}, true, false}, {{8, 10, 1, -2, 1000, 1000}, true, false},  // negative method
      {{8, 10, 1, 0, INT32_MIN, 1000}, true, false}, {{8, 10, 1, 0, 1000, -1}, true, false},  // negative, even off
  };  // clang-format on
  for (const auto& c : cases) {
    const auto& [v, basicRules, startup] = c;
    EXPECT_EQ(MeetsBasicRules(v.StartKey, v.EndKey, v.LeftKey, v.RightKey, v.LeftInterval, v.RightInterval), basicRules)
        << "row " << &c - cases;
    EXPECT_EQ(PassesStartupCheck(v), startup) << "row " << &c - cases;
  }
}

TEST(ClickRules, SaveAcceptsOnlyReadingsThatFitAndPass) {
  // clang-format off
  const std::pair<DialogReadings, bool> cases[] = {
      {{4, 5, 2, 0, 500, 0}, true}, {{0, 1, 1, 1, 2147483647u, 2147483647u}, true},
      {{0, 1, 1, 0, 2147483648u, 1000}, false},  // would turn negative in the signed field
      {{0, 1, 1, 0, 1000, 4294967295u}, false},  // even on a disabled button
      {{-1, 10, 1, 0, 1000, 1000}, false}, {{3, 3, 1, 0, 1000, 1000}, false},  // a box without a selection; a rule
  };  // clang-format on
  for (const auto& [r, accepted] : cases) {
    ClickValues out = {-7, -7, -7, -7, -7, -7}, want = out;  // refused readings leave the output alone
    if (accepted)
      want = {r.startKey, r.endKey, r.leftKey, r.rightKey, int32_t(r.leftInterval), int32_t(r.rightInterval)};
    ASSERT_EQ(AcceptDialogReadings(r, out), accepted) << r.startKey << "/" << r.leftInterval;
    EXPECT_EQ(0, std::memcmp(&out, &want, sizeof out)) << r.startKey << "/" << r.leftInterval;
  }
}

TEST(ClickRules, HotKeysFromIndices) {
  const std::pair<int32_t, uint32_t> keys[] = {{0, 0x70}, {10, 0x7A}, {11, 0}, {-1, 0}, {INT32_MIN, 0}};
  for (const auto& [index, key] : keys) EXPECT_EQ(HotKeyVirtualKey(index), key) << index;
}
