#include "app/path_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(JoinText, JoinsWhenTheResultFits) {
  wchar_t out[PathCapacity];
  ASSERT_TRUE(JoinText(L"C:\\Tools\\", L"配置文件.ini", out, PathCapacity));
  EXPECT_EQ(std::wstring(out), L"C:\\Tools\\配置文件.ini");
}

TEST(JoinText, UsesEveryCharacterOfTheBufferButNeverTruncates) {
  // 251 characters of directory and "配置文件.ini" (8) fill 259 + terminator exactly.
  const std::wstring directory = L"C:\\" + std::wstring(247, L'a') + L"\\";
  ASSERT_EQ(directory.size(), 251u);
  wchar_t out[PathCapacity];
  ASSERT_TRUE(JoinText(directory.c_str(), L"配置文件.ini", out, PathCapacity));
  EXPECT_EQ(std::wstring(out).size(), 259u);

  const std::wstring longer = directory + L"b";
  out[0] = L'x';
  EXPECT_FALSE(JoinText(longer.c_str(), L"配置文件.ini", out, PathCapacity));
  EXPECT_EQ(out[0], L'\0');
}

TEST(JoinText, RefusesAFirstPartThatAloneFillsTheBuffer) {
  const std::wstring full(PathCapacity, L'a');
  wchar_t out[PathCapacity];
  EXPECT_FALSE(JoinText(full.c_str(), L"", out, PathCapacity));
  EXPECT_FALSE(CopyText(full.c_str(), out, PathCapacity));
  EXPECT_TRUE(CopyText(full.substr(1).c_str(), out, PathCapacity));
}

}  // namespace
