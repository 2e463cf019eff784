// The advanced keys as a hand-edited INI file holds them: what parses, what is refused
// and keeps its default, and what a save writes back.
#include "clicker/advanced_settings.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <tuple>

TEST(AdvancedKeys, WholeDecimalsWithinTheirRangesOrDefaults) {
  // key, text, accepted, the key's text as a save writes it afterwards
  // clang-format off
  const std::tuple<AdvancedKey, const wchar_t*, bool, const wchar_t*> cases[] = {
      {LeftHoldKey, L"1", true, L"1"}, {RightHoldKey, L" 7\t", true, L"7"}, {LeftHoldKey, L"", true, L"50"},
      {LeftHoldKey, L"10000", true, L"10000"}, {LeftHoldKey, L"10001", false, L"50"}, {LeftHoldKey, L"0", false, L"50"},
      {LeftHoldKey, L"12abc", false, L"50"}, {LeftHoldKey, L"+5", false, L"50"}, {LeftHoldKey, L"1.5", false, L"50"},
      {LeftHoldKey, L"-", false, L"50"}, {LeftHoldKey, L"99999999999999999999", false, L"50"},
      {LeftCountKey, L"2147483647", true, L"2147483647"}, {RightCountKey, L"2147483648", false, L"0"},
      {RightCountKey, L"-1", false, L"0"}, {LeftJitterKey, L"50", true, L"50"}, {RightJitterKey, L"51", false, L"0"},
      {LeftPointKey, L"-32768, 32767", true, L"-32768,32767"}, {RightPointKey, L" 10 ，-20 ", true, L"10,-20"},
      {LeftPointKey, L"-32769,1", false, L""}, {LeftPointKey, L"1,32768", false, L""}, {LeftPointKey, L"10", false, L""},
      {LeftPointKey, L"1,2,3", false, L""}, {LeftPointKey, L",5", false, L""}, {RightPointKey, L"  ", true, L""},
      {HoldToClickKey, L"1", true, L"1"}, {HoldToClickKey, L"2", false, L"0"}, {HoldToClickKey, L"-1", false, L"0"},
  };  // clang-format on
  for (const auto& [key, text, accepted, stored] : cases) {
    AdvancedValues values;
    wchar_t written[32];
    EXPECT_EQ(ParseAdvancedKey(key, text, values), accepted) << AdvancedKeyNames[key] << "=" << text;
    FormatAdvancedKey(key, values, written);
    EXPECT_STREQ(written, stored) << AdvancedKeyNames[key] << "=" << text;
  }
}

TEST(AdvancedKeys, EveryBadKeyIsReportedAndKeepsItsDefault) {
  const std::map<std::wstring, std::wstring> file = {
      {L"LeftHold", L"120"}, {L"RightCount", L"x"}, {L"RightPoint", L"-5,6"}, {L"HoldToClick", L"yes"}};
  AdvancedValues values;
  const uint32_t bad = ReadAdvancedSettings(values, [&](const wchar_t* key, wchar_t* text, size_t capacity) {
    if (file.count(key)) wcsncpy(text, file.at(key).c_str(), capacity);
  });
  EXPECT_EQ(bad, (1u << RightCountKey) | (1u << HoldToClickKey));
  EXPECT_EQ(std::make_tuple(values.left.hold, values.right.point.y, values.right.count), std::make_tuple(120, 6, 0));
}
