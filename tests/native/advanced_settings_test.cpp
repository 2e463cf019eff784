// The advanced keys as a hand-edited INI file holds them: what parses, what is refused
// and keeps its default, and what a save writes back.
#include "clicker/advanced_settings.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

struct KeyCase {
  AdvancedKey key;
  const wchar_t* text;
  bool accepted;
  const wchar_t* stored;  // the key's text as a save would write it afterwards
};

// clang-format off
const KeyCase kKeys[] = {
    {LeftHoldKey, L"200", true, L"200"}, {RightHoldKey, L" 7\t", true, L"7"}, {LeftHoldKey, L"", true, L"50"},
    {LeftHoldKey, L"10000", true, L"10000"}, {LeftHoldKey, L"10001", false, L"50"}, {LeftHoldKey, L"0", false, L"50"},
    {LeftHoldKey, L"12abc", false, L"50"}, {LeftHoldKey, L"+5", false, L"50"}, {LeftHoldKey, L"1.5", false, L"50"},
    {LeftHoldKey, L"-", false, L"50"}, {LeftHoldKey, L"99999999999999999999", false, L"50"},
    {LeftCountKey, L"2147483647", true, L"2147483647"}, {RightCountKey, L"2147483648", false, L"0"},
    {RightCountKey, L"-1", false, L"0"}, {LeftJitterKey, L"50", true, L"50"}, {RightJitterKey, L"51", false, L"0"},
    {LeftPointKey, L"-1920, 35", true, L"-1920,35"}, {RightPointKey, L" 10 ，20 ", true, L"10,20"},
    {LeftPointKey, L"10", false, L""}, {LeftPointKey, L"1,2,3", false, L""}, {LeftPointKey, L",5", false, L""},
    {LeftPointKey, L"40000,1", false, L""}, {RightPointKey, L"  ", true, L""},
    {HoldToClickKey, L"1", true, L"1"}, {HoldToClickKey, L"2", false, L"0"},
};
// clang-format on

TEST(AdvancedKeys, WholeDecimalsWithinTheirRangesOrDefaults) {
  for (const KeyCase& c : kKeys) {
    AdvancedValues values;
    EXPECT_EQ(ParseAdvancedKey(c.key, c.text, values), c.accepted) << AdvancedKeyNames[c.key] << "=" << c.text;
    wchar_t stored[32];
    FormatAdvancedKey(c.key, values, stored);
    EXPECT_STREQ(stored, c.stored) << AdvancedKeyNames[c.key] << "=" << c.text;
  }
}

TEST(AdvancedKeys, EveryBadKeyIsReportedAndKeepsItsDefault) {
  const std::map<std::wstring, std::wstring> file = {
      {L"LeftHold", L"120"}, {L"RightCount", L"x"}, {L"RightPoint", L"-5,6"}, {L"HoldToClick", L"yes"}};
  AdvancedValues values;
  const uint32_t bad = ReadAdvancedSettings(values, [&](const wchar_t* key, wchar_t* text, size_t capacity) {
    const auto found = file.find(key);
    if (found != file.end()) wcsncpy(text, found->second.c_str(), capacity);
  });
  EXPECT_EQ(bad, (1u << RightCountKey) | (1u << HoldToClickKey));
  EXPECT_EQ(values.left.hold, 120);
  EXPECT_EQ(values.right.point.y, 6);
}

}  // namespace
