// The advanced keys as a hand-edited INI file holds them: what parses, what is refused
// and keeps its default, and what a save writes back.
#include "clicker/advanced_settings.h"

#include <gtest/gtest.h>

#include <cwctype>
#include <map>
#include <string>
#include <tuple>
#include <vector>

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
      {StopOnMouseMoveKey, L" 1000", true, L"1000"}, {StopOnMouseMoveKey, L"1001", false, L"0"},
      {StopOnMouseMoveKey, L"", true, L"0"}, {StopOnMouseMoveKey, L"-1", false, L"0"},
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

TEST(TriggerKeys, EveryKeyInAnyCaseWithModifiersInOrderIsWrittenCanonically) {
  for (const wchar_t* key : {L"A", L"Z", L"0", L"9", L"F1", L"F10", L"F24", L"Num0", L"Num9", L"Insert", L"Delete",
                             L"Home", L"End", L"PageUp", L"PageDown", L"Pause", L"Space", L"XButton1", L"XButton2"}) {
    std::wstring lower(key);
    for (wchar_t& c : lower) c = static_cast<wchar_t>(towlower(c));
    AdvancedValues values;
    wchar_t written[32];
    EXPECT_TRUE(ParseAdvancedKey(StopTriggerKey, lower.c_str(), values)) << lower;
    FormatAdvancedKey(StopTriggerKey, values, written);
    EXPECT_STREQ(written, key);
  }
  // text, accepted, the key's text as a save writes it afterwards
  // clang-format off
  const std::tuple<const wchar_t*, bool, const wchar_t*> cases[] = {
      {L" ctrl + ALT +shift+ win+pagedown\t", true, L"Ctrl+Alt+Shift+Win+PageDown"}, {L"Shift+Win+k", true, L"Shift+Win+K"},
      {L"CTRL+num5", true, L"Ctrl+Num5"}, {L"alt+F11", true, L"Alt+F11"}, {L"", true, L""}, {L"  ", true, L""},
      {L"Alt+Pause", true, L"Alt+Pause"}, {L"Shift+5", true, L"Shift+5"}, {L"F12", false, L""}, {L"Win+F12", false, L""},
      {L"Ctrl+Pause", false, L""}, {L"Ctrl+Shift+pause", false, L""}, {L"Shift+Num0", false, L""},
      {L"Alt+Shift+Num9", false, L""},
      {L"Alt+Ctrl+K", false, L""}, {L"Ctrl+Ctrl+K", false, L""}, {L"Ctrl+", false, L""}, {L"+K", false, L""},
      {L"Ctrl+Alt", false, L""}, {L"Ctrl+XButton1", false, L""}, {L"XButton3", false, L""}, {L"F25", false, L""},
      {L"F0", false, L""}, {L"F01", false, L""}, {L"Num10", false, L""}, {L"Control+K", false, L""},
      {L"K+Ctrl", false, L""}, {L"Esc", false, L""}, {L"Ctrl+Alt+Tab", false, L""}, {L"Ctrl K", false, L""},
  };  // clang-format on
  for (const auto& [text, accepted, stored] : cases) {
    AdvancedValues values;
    wchar_t written[32];
    EXPECT_EQ(ParseAdvancedKey(StartTriggerKey, text, values), accepted) << text;
    FormatAdvancedKey(StartTriggerKey, values, written);
    EXPECT_STREQ(written, stored) << text;
  }
}

TEST(TriggerKeys, TheSameForBothTogglesAndAnFKeyOfTheOtherActionClashes) {
  const Trigger none, f9{0, 0x78}, f11{0, 0x7A}, ctrlF9{TriggerCtrl, 0x78}, side{0, XButton1Key};
  // start, stop, what is planned as (role, clash) in turn; the F-keys in use are F9 and F11
  const std::tuple<Trigger, Trigger, std::vector<std::pair<TriggerRole, uint32_t>>> cases[] = {
      {none, none, {}},
      {side, ctrlF9, {{StartRole, 0}, {StopRole, 0}}},
      {ctrlF9, ctrlF9, {{ToggleRole, 0}}},
      {f11, f9, {{StartRole, 0x7A}, {StopRole, 0x78}}},
      {f9, f11, {}},
      {f11, f11, {{ToggleRole, 0x7A}}},
  };
  for (const auto& [start, stop, expected] : cases) {
    const TriggerPlan plan = PlanTriggers(start, stop, 0x78, 0x7A);
    std::vector<std::pair<TriggerRole, uint32_t>> planned;
    for (int i = 0; i < plan.count; ++i) planned.emplace_back(plan.triggers[i].role, plan.triggers[i].clash);
    EXPECT_EQ(planned, expected) << start.key << "/" << stop.key;
  }
  EXPECT_EQ(TriggerOfKey(TriggerShift, 0x09), Trigger{}) << "Tab is none";
  EXPECT_EQ(TriggerOfKey(TriggerCtrl, XButton2Key), Trigger{}) << "a side button alone";
  EXPECT_EQ(TriggerOfKey(TriggerShift, 0x65), Trigger{}) << "Shift+Num5 arrives as another key";
}

TEST(TriggerKeys, PauseCannotStartClickingThatLastsWhileHeld) {
  for (const wchar_t* hold : {L"0", L"1"}) {
    const std::map<std::wstring, std::wstring> file = {
        {L"HoldToClick", hold}, {L"StartTrigger", L"Pause"}, {L"StopTrigger", L"Pause"}};
    AdvancedValues values;
    const uint32_t bad = ReadAdvancedSettings(values, [&](const wchar_t* key, wchar_t* text, size_t capacity) {
      if (file.count(key)) wcsncpy(text, file.at(key).c_str(), capacity);
    });
    const bool held = hold[0] == L'1';
    EXPECT_EQ(bad, held ? 1u << StartTriggerKey : 0u) << hold;
    EXPECT_EQ(std::make_pair(values.startTrigger.key, values.stopTrigger.key),
              std::make_pair(held ? 0u : PauseKey, PauseKey));
  }
}
