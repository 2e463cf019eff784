#include "clicker/click_rules.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

constexpr int32_t kMin = INT32_MIN;
constexpr int32_t kMax = INT32_MAX;

struct RuleCase {
  const char* name;
  ClickValues values;
  bool basicRules;  // MeetsBasicRules
  bool startup;     // PassesStartupCheck: the rules and every value meaningful
};

const RuleCase kRuleCases[] = {
    {"defaults", {8, 10, 1, 0, 1000, 1000}, true, true},
    {"equal hot-keys", {4, 4, 1, 0, 500, 500}, false, false},
    {"both buttons disabled", {8, 10, 0, 0, 500, 500}, false, false},
    {"left enabled with interval 0", {8, 10, 1, 0, 0, 500}, false, false},
    {"right double with interval 0", {8, 10, 0, 2, 500, 0}, false, false},
    {"disabled right with interval 0 is fine", {8, 10, 2, 0, 500, 0}, true, true},
    {"disabled left with interval 0 is fine", {0, 1, 0, 1, 0, 1}, true, true},
    {"highest key and method", {10, 0, 2, 2, 1, 1}, true, true},
    {"largest interval", {0, 10, 1, 1, kMax, kMax}, true, true},
    {"start key 11", {11, 10, 1, 0, 1000, 1000}, true, false},
    {"end key 11", {8, 11, 1, 0, 1000, 1000}, true, false},
    {"left method 3", {8, 10, 3, 0, 1000, 1000}, true, false},
    {"right method 3", {8, 10, 1, 3, 1000, 1000}, true, false},
    {"no start selection (-1)", {-1, 10, 1, 0, 1000, 1000}, true, false},
    {"no end selection (-1)", {8, -1, 1, 0, 1000, 1000}, true, false},
    {"both keys -1 are equal", {-1, -1, 1, 0, 1000, 1000}, false, false},
    {"negative left method", {8, 10, -1, 0, 1000, 1000}, true, false},
    {"negative right method", {8, 10, 1, -2, 1000, 1000}, true, false},
    {"negative left interval", {8, 10, 1, 0, -5, 1000}, true, false},
    {"negative interval on a disabled button", {8, 10, 1, 0, 1000, -1}, true, false},
    {"smallest interval", {8, 10, 1, 0, kMin, 1000}, true, false},
};

TEST(ClickRules, BasicRulesAndStartupCheckJudgeEveryCase) {
  for (const RuleCase& c : kRuleCases) {
    const ClickValues& v = c.values;
    EXPECT_EQ(MeetsBasicRules(v.StartKey, v.EndKey, v.LeftKey, v.RightKey, v.LeftInterval, v.RightInterval),
              c.basicRules)
        << c.name;
    EXPECT_EQ(PassesStartupCheck(v), c.startup) << c.name;
  }
}

struct ReadingCase {
  const char* name;
  DialogReadings readings;
  bool accepted;
};

const ReadingCase kReadingCases[] = {
    {"typical", {8, 10, 1, 0, 200, 1000}, true},
    {"disabled right with 0", {4, 5, 2, 0, 500, 0}, true},
    {"largest signed interval", {0, 1, 1, 1, 2147483647u, 2147483647u}, true},
    {"left interval above the signed range", {0, 1, 1, 0, 2147483648u, 1000}, false},
    {"disabled right interval above the signed range", {0, 1, 1, 0, 1000, 4294967295u}, false},
    {"no selection in a key box", {-1, 10, 1, 0, 1000, 1000}, false},
    {"no selection in a method box", {8, 10, 1, -1, 1000, 1000}, false},
    {"rule failure", {3, 3, 1, 0, 1000, 1000}, false},
    {"letters read as 0 on an enabled button", {8, 10, 1, 0, 0, 1000}, false},
};

TEST(ClickRules, SaveAcceptsOnlyReadingsThatFitAndPass) {
  for (const ReadingCase& c : kReadingCases) {
    ClickValues out = {-7, -7, -7, -7, -7, -7};
    ASSERT_EQ(AcceptDialogReadings(c.readings, out), c.accepted) << c.name;
    if (c.accepted) {
      EXPECT_EQ(out.StartKey, c.readings.startKey) << c.name;
      EXPECT_EQ(out.EndKey, c.readings.endKey) << c.name;
      EXPECT_EQ(out.LeftKey, c.readings.leftKey) << c.name;
      EXPECT_EQ(out.RightKey, c.readings.rightKey) << c.name;
      EXPECT_EQ(static_cast<uint32_t>(out.LeftInterval), c.readings.leftInterval) << c.name;
      EXPECT_EQ(static_cast<uint32_t>(out.RightInterval), c.readings.rightInterval) << c.name;
    } else {
      EXPECT_EQ(out.StartKey, -7) << c.name << ": refused readings leave the output alone";
    }
  }
}

TEST(HotKeyMapping, IdsFromAtomsAndVirtualKeysFromIndices) {
  EXPECT_EQ(HotKeyIdFromAtom(0xC000), 0x0000);
  EXPECT_EQ(HotKeyIdFromAtom(0xC123), 0x0123);
  EXPECT_EQ(HotKeyIdFromAtom(0xFFFF), 0x3FFF);

  const struct {
    int32_t index;
    uint32_t key;
  } keys[] = {{0, 0x70}, {8, 0x78}, {10, 0x7A}, {11, 0}, {-1, 0}, {kMin, 0}, {kMax, 0}};
  for (const auto& k : keys) EXPECT_EQ(HotKeyVirtualKey(k.index), k.key) << k.index;
}

}  // namespace
