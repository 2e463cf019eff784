#include "online/menu_document.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace {

// Texts in code page 936 (GBK), as the server sends them and the menu shows them.
#define TUIJIAN "\xCD\xC6\xBC\xF6"  // 推荐
#define XIAZAI "\xCF\xC2\xD4\xD8"   // 下载

// An entry as "id name url", url "-" when absent.
std::vector<std::string> Entries(const OnlineMenuDocument& menu) {
  std::vector<std::string> entries;
  for (const OnlineMenuItem& item : menu.items) {
    entries.push_back(std::to_string(item.id) + " " + item.name + " " + (item.url ? item.url : "-"));
  }
  return entries;
}

TEST(ReadOnlineMenuDocument, GivesTitleAndEntriesInDocumentOrder) {
  // clang-format off
  const std::tuple<const char*, std::string, std::vector<std::string>> cases[] = {  // title: when there are entries
      {"<!-- menu --><menu name='" TUIJIAN "'><item id='45001' name='" XIAZAI "' url='http://a/'/>"
       "<item id='45002' name='b' url='http://b/'><sub id='45003' name='z' url='http://sub/'/></item></menu>",
       TUIJIAN "(&A)", {"45001 " XIAZAI " http://a/", "45002 b http://b/"}},
      {"", "", {}}, {"<m name='a'>text only<!-- c --></m>", "", {}},
      {"<r name='ab'><x id='45003' name='c' url='http://c/'/>t<!-- c --><y id='45001' name='a' url='http://a/'/></r>"
       "<n name='b'><i id='45002' name='y' url='http://y/'/></n>", "ab(&A)", {"45003 c http://c/", "45001 a http://a/"}},
      {"<m name='a'><i id='45001' name='x' url='http://one/'/><i id='45002' na",  // cut: what was read is kept
       "a(&A)", {"45001 x http://one/", "45002  -"}},
      {"<m name='a'><i id='45001abc' name='a'/><i id='abc' name='b'/><i id=' +45002' name='c'/><i id='-7' name='d'/>"
       "<i id='4294972297' name='e'/><i id='-99999999999' name='f'/></m>",  // as atoi, but clamped
       "a(&A)", {"45001 a -", "0 b -", "45002 c -", "-7 d -", "2147483647 e -", "-2147483648 f -"}},
      {"<m><i name='no id' url='http://x/'/><i id='45002' url='http://y/'/></m>", "(&A)",
       {"0 no id http://x/", "45002  http://y/"}},
  };  // clang-format on
  for (const auto& [text, title, entries] : cases) {
    const OnlineMenuDocument menu = ReadOnlineMenuDocument(text);
    EXPECT_EQ(Entries(menu), entries) << text;
    if (!entries.empty()) {
      EXPECT_EQ(std::string(menu.title), title) << text;
    }
  }
}

TEST(MakeOnlineMenuTitle, FitsTheTenByteBufferWithoutSplittingACharacter) {
  // clang-format off
  const std::pair<const char*, std::string> cases[] = {
      {"abcde", "abcde(&A)"}, {"abcdef", "abcde(&A)"}, {nullptr, "(&A)"}, {"abcd" TUIJIAN, "abcd(&A)"},
      {TUIJIAN XIAZAI, TUIJIAN "(&A)"}, {"a" TUIJIAN "x", "a" TUIJIAN "(&A)"},  // two characters fit; exactly 5 bytes
      {"ab" TUIJIAN, "ab\xCD\xC6(&A)"},  // the second character would end at byte 6
      {"ab\x81", "ab(&A)"}, {"\x81" "Abcd", "\x81" "Abcd(&A)"},  // a lead byte alone; lead and trail byte as one
  };  // clang-format on
  for (const auto& [name, expected] : cases) {
    char title[OnlineMenuTitleSize];  // exactly ten bytes: AddressSanitizer sees a write past them
    MakeOnlineMenuTitle(name, title);
    EXPECT_EQ(std::string(title), expected) << (name ? name : "(null)");
  }
}

TEST(OnlineMenuAddresses, OpensOnlyWebAddressesOfTheChosenOnlineMenuId) {
  const char* const web[] = {"http://www.example.com/", "HTTPS://x/a?b=c&d=e#f", "http://\xC0\xFD\xD7\xD3/\xCF\xC2"};
  // clang-format off
  const char* const other[] = {"http://", "https://", "", nullptr, "http:/x/y", "httpx://x", " http://x", "ftp://x/",
                               "C:\\a.exe", "file:///C:/a.exe", "http://x/\"--flag", "http://x/ y", "http://x/\ty",
                               "http://x/\x7F"};  // clang-format on
  for (const char* url : web) EXPECT_TRUE(IsWebAddress(url)) << url;
  for (const char* url : other) EXPECT_FALSE(IsWebAddress(url)) << (url ? url : "(null)");

  const std::vector<OnlineMenuItem> items = {
      {45001, "a", "http://one/"},      {45002, "b", "http://two/"},           {45001, "c", "https://three/"},
      {45003, "d", "file:///C:/x.exe"}, {45003, "e", "https://after-unsafe/"}, {45004, "f", nullptr},
      {45099, "i", "http://last/"},     {45100, "j", "http://over/"},          {45000, "k", "http://under/"},
      {0, "h", "http://zero/"},
  };
  // clang-format off
  const std::pair<uint64_t, std::vector<std::string>> cases[] = {
      {45001, {"http://one/", "https://three/"}}, {45003, {"https://after-unsafe/"}}, {45004, {}},
      {45099, {"http://last/"}}, {45100, {}}, {45000, {}}, {0, {}}, {45001 + 0x10000, {}}};  // clang-format on
  for (const auto& [command, expected] : cases) {
    std::vector<std::string> opened;
    for (const char* url : OnlineMenuAddresses(items, command)) opened.push_back(url);
    EXPECT_EQ(opened, expected) << command;
  }
}

}  // namespace
