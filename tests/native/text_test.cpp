#include "common/text.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

TEST(JoinText, UsesEveryCharacterOfTheBufferButNeverTruncates) {
  // "配置文件.ini" is 8 characters: 251 characters of directory fill 259 and a terminator.
  const std::pair<size_t, bool> cases[] = {{3, true}, {251, true}, {252, false}, {PathCapacity + 1, false}};
  for (const auto& [length, fits] : cases) {
    const std::wstring directory = L"C:\\" + std::wstring(length - 3, L'a');
    wchar_t out[PathCapacity] = L"junk";
    EXPECT_EQ(JoinText(directory.c_str(), L"配置文件.ini", out, PathCapacity), fits) << length;
    EXPECT_EQ(std::wstring(out), fits ? directory + L"配置文件.ini" : L"") << length;
  }
  wchar_t out[PathCapacity];
  EXPECT_TRUE(CopyText(std::wstring(PathCapacity - 1, L'a').c_str(), out, PathCapacity));
  EXPECT_FALSE(CopyText(std::wstring(PathCapacity, L'a').c_str(), out, PathCapacity));
}
