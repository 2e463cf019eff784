#include "clicker/click_settings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(WriteSettings, AttemptsEveryKeyInOrderEvenAfterAFailure) {
  ClickSettingsRecord record;
  Store(record, {3, 4, 2, 0, 0, -2147483647 - 1});
  std::vector<std::wstring> written;
  const bool all = WriteSettings(record, [&](const wchar_t* key, const wchar_t* text) {
    written.push_back(std::wstring(key) + L"=" + text);
    return written.size() != 2;
  });
  EXPECT_FALSE(all);
  EXPECT_EQ(written, (std::vector<std::wstring>{L"StartKey=3", L"EndKey=4", L"LeftKey=2", L"RightKey=0",
                                                L"LeftInterval=0", L"RightInterval=-2147483648"}));
  EXPECT_TRUE(WriteSettings(record, [](const wchar_t*, const wchar_t*) { return true; }));
}

TEST(ReadSettings, AsksForEveryKeyWithItsDefault) {
  ClickSettingsRecord record;
  std::vector<std::wstring> asked;
  ReadSettings(record, [&](const wchar_t* key, int32_t defaultValue) {
    asked.push_back(std::wstring(key) + L"=" + std::to_wstring(defaultValue));
    return static_cast<int32_t>(asked.size());
  });
  EXPECT_EQ(asked, (std::vector<std::wstring>{L"StartKey=8", L"EndKey=10", L"LeftKey=1", L"RightKey=0",
                                              L"LeftInterval=1000", L"RightInterval=1000"}));
  const ClickValues values = SnapshotOf(record);
  EXPECT_EQ(values.StartKey, 1);
  EXPECT_EQ(values.RightInterval, 6);
}

TEST(FormatDecimal, WritesSignedDecimalWithoutPadding) {
  const struct {
    int32_t value;
    const wchar_t* text;
  } cases[] = {{0, L"0"}, {7, L"7"}, {-1, L"-1"}, {1000, L"1000"}, {2147483647, L"2147483647"},
               {-2147483647 - 1, L"-2147483648"}};
  for (const auto& c : cases) {
    wchar_t out[20];
    FormatDecimal(c.value, out);
    EXPECT_EQ(std::wstring(out), c.text);
  }
}

}  // namespace
