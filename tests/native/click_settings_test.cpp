#include "clicker/click_settings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(WriteSettings, AttemptsAllSixKeysInDecimalEvenAfterAFailure) {
  for (size_t failing = 0; failing <= SettingKeyCount; ++failing) {
    ClickSettingsRecord record;
    Store(record, {3, 10, 2, 0, 1000, INT32_MIN});
    std::vector<std::wstring> written;
    const bool all = WriteSettings(record, [&](const wchar_t* key, const wchar_t* text) {
      written.push_back(std::wstring(key) + L"=" + text);
      return written.size() != failing;
    });
    EXPECT_EQ(all, failing == 0) << failing;
    EXPECT_EQ(written, (std::vector<std::wstring>{L"StartKey=3", L"EndKey=10", L"LeftKey=2", L"RightKey=0",
                                                  L"LeftInterval=1000", L"RightInterval=-2147483648"}));
  }
}

TEST(ReadSettings, ReadsEveryKeyInOrderWithItsDefaultIntoItsField) {
  ClickSettingsRecord record;
  std::vector<std::wstring> asked;
  ReadSettings(record, [&](const wchar_t* key, int32_t defaultValue) {
    asked.push_back(std::wstring(key) + L"=" + std::to_wstring(defaultValue));
    return static_cast<int32_t>(asked.size());
  });
  EXPECT_EQ(asked, (std::vector<std::wstring>{L"StartKey=8", L"EndKey=10", L"LeftKey=1", L"RightKey=0",
                                              L"LeftInterval=1000", L"RightInterval=1000"}));
  const ClickValues v = SnapshotOf(record);
  EXPECT_EQ(std::vector<int32_t>({v.StartKey, v.EndKey, v.LeftKey, v.RightKey, v.LeftInterval, v.RightInterval}),
            std::vector<int32_t>({1, 2, 3, 4, 5, 6}));
}
