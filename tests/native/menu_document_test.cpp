#include "online/menu_document.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

// Texts in code page 936 (GBK), as the server sends them and the menu shows them.
#define TUIJIAN "\xCD\xC6\xBC\xF6"                           // 推荐
#define RUANJIANZHUYE "\xC8\xED\xBC\xFE\xD6\xF7\xD2\xB3"     // 软件主页
#define SHIYONGJIAOCHENG "\xCA\xB9\xD3\xC3\xBD\xCC\xB3\xCC"  // 使用教程
#define XIAZAI "\xCF\xC2\xD4\xD8"                            // 下载

struct Entry {
  int32_t id;
  std::string name;
  const char* url;  // null: no address
};

bool operator==(const Entry& a, const Entry& b) {
  return a.id == b.id && a.name == b.name &&
         ((a.url == nullptr && b.url == nullptr) || (a.url && b.url && std::strcmp(a.url, b.url) == 0));
}

void PrintTo(const Entry& e, std::ostream* out) {
  *out << "(" << e.id << ", \"" << e.name << "\", " << (e.url ? std::string("\"") + e.url + "\"" : "null") << ")";
}

std::vector<Entry> Entries(const OnlineMenuDocument& menu) {
  std::vector<Entry> entries;
  for (const OnlineMenuItem& item : menu.items) {
    EXPECT_NE(item.name, nullptr);
    entries.push_back({item.id, item.name != nullptr ? item.name : "", item.url});
  }
  return entries;
}

struct DocumentCase {
  const char* what;
  const char* text;
  std::string title;  // "" when no pop-up is expected
  std::vector<Entry> entries;
};

const DocumentCase DocumentCases[] = {
    {"the example: comment, root, two items, a child element inside the second",
     "<!-- menu --><menu name='" TUIJIAN "'>"
     "<item id='45001' name='" RUANJIANZHUYE "' url='http://www.example.com/'/>"
     "<item id='45002' name='" SHIYONGJIAOCHENG "' url='http://www.example.com/help'><sub id='45003' name='z' "
     "url='http://sub/'/></item>"
     "</menu>",
     TUIJIAN "(&A)",
     {{45001, RUANJIANZHUYE, "http://www.example.com/"}, {45002, SHIYONGJIAOCHENG, "http://www.example.com/help"}}},
    {"empty text", "", "", {}},
    {"white space only", " \r\n\t ", "", {}},
    {"a root without element children", "<m name='a'>text only<!-- c --></m>", "", {}},
    {"an empty root", "<m name='a'/>", "", {}},
    {"binary garbage", "\x01\x02\xff\xfe<<>>&&\x80\x81\x7f", "", {}},
    {"a lone start of a tag", "<", "", {}},
    {"three items in document order, any tag names",
     "<r name='ab'><x id='45003' name='c' url='http://c/'/><y id='45001' name='a' url='http://a/'/>"
     "<x id='45002' name='b' url='http://b/'/></r>",
     "ab(&A)",
     {{45003, "c", "http://c/"}, {45001, "a", "http://a/"}, {45002, "b", "http://b/"}}},
    {"declaration and comments ahead of the root; a second top-level element ignored",
     "<?xml version='1.0'?><!-- one --><!-- two --><m name='a'><i id='45001' name='x' url='http://x/'/></m>"
     "<n name='b'><i id='45002' name='y' url='http://y/'/></n>",
     "a(&A)",
     {{45001, "x", "http://x/"}}},
    {"text and comments between items skipped",
     "<m name='a'> t <i id='45001' name='x' url='http://x/'/><!-- c -->t<i id='45002' name='y' url='http://y/'/></m>",
     "a(&A)",
     {{45001, "x", "http://x/"}, {45002, "y", "http://y/"}}},
    {"no end tag of the root after a complete item",
     "<m name='a'><i id='45001' name='x' url='http://one/'/><i id='45002' name='y' url='http://two/'/>",
     "a(&A)",
     {{45001, "x", "http://one/"}, {45002, "y", "http://two/"}}},
    {"cut inside an item's attributes: the complete items stay, the cut one has what was read",
     "<m name='a'><i id='45001' name='x' url='http://one/'/><i id='45002' na",
     "a(&A)",
     {{45001, "x", "http://one/"}, {45002, "", nullptr}}},
    {"ids as atoi reads them",
     "<m name='a'><i id='45001abc' name='a'/><i id='abc' name='b'/><i id=' \t+45002' name='c'/>"
     "<i id='-7' name='d'/><i id='' name='e'/><i id='45 001' name='f'/></m>",
     "a(&A)",
     {{45001, "a", nullptr},
      {0, "b", nullptr},
      {45002, "c", nullptr},
      {-7, "d", nullptr},
      {0, "e", nullptr},
      {45, "f", nullptr}}},
    {"ids beyond 32 bits clamp instead of wrapping into the menu range",
     "<m name='a'><i id='4294972297' name='a'/><i id='-99999999999' name='b'/><i id='2147483647' name='c'/></m>",
     "a(&A)",
     {{INT32_MAX, "a", nullptr}, {INT32_MIN, "b", nullptr}, {INT32_MAX, "c", nullptr}}},
    {"missing attributes: id 0, empty caption, no address",
     "<m name='a'><i name='no id' url='http://x/'/><i id='45002' url='http://y/'/><i id='45003' name='no url'/></m>",
     "a(&A)",
     {{0, "no id", "http://x/"}, {45002, "", "http://y/"}, {45003, "no url", nullptr}}},
    {"attribute names match with case only",
     "<m Name='b' name='a'><i ID='45001' Id='45002' NAME='n' URL='http://u/'/></m>",
     "a(&A)",
     {{0, "", nullptr}}},
    {"references in values are expanded",
     "<m name='a&amp;b'><i id='&#52;5001' name='&lt;x&gt;' url='http://h/?a=1&amp;b=2'/></m>",
     "a&b(&A)",
     {{45001, "<x>", "http://h/?a=1&b=2"}}},
    {"a UTF-8 byte-order mark or declaration leaves the bytes unchanged",
     "\xEF\xBB\xBF<?xml version='1.0' encoding='UTF-8'?><m name='" TUIJIAN "'><i id='45001' name='" XIAZAI
     "' url='http://x/'/></m>",
     TUIJIAN "(&A)",
     {{45001, XIAZAI, "http://x/"}}},
    {"a root without name", "<m><i id='45001' name='x' url='http://x/'/></m>", "(&A)", {{45001, "x", "http://x/"}}},
};

void PrintTo(const DocumentCase& c, std::ostream* out) { *out << c.what; }

class ReadOnlineMenuDocumentTest : public testing::TestWithParam<DocumentCase> {};

TEST_P(ReadOnlineMenuDocumentTest, GivesTitleAndEntriesInDocumentOrder) {
  const DocumentCase& c = GetParam();
  const OnlineMenuDocument menu = ReadOnlineMenuDocument(c.text);
  EXPECT_EQ(Entries(menu), c.entries);
  if (!c.entries.empty()) {
    EXPECT_EQ(std::string(menu.title), c.title);
  }
}

INSTANTIATE_TEST_SUITE_P(Documents, ReadOnlineMenuDocumentTest, testing::ValuesIn(DocumentCases));

TEST(ReadOnlineMenuDocument, TextsStayValidWhileTheDocumentIsKeptAnywhere) {
  // The program moves each document into a list kept for the whole run and
  // keeps only the texts' addresses.
  std::vector<OnlineMenuDocument> kept;
  std::vector<OnlineMenuItem> items;
  for (int i = 0; i < 20; ++i) {
    std::string text = "<m name='a'><i id='" + std::to_string(45001 + i) + "' name='n" + std::to_string(i) +
                       "' url='http://h/" + std::to_string(i) + "'/></m>";
    kept.push_back(ReadOnlineMenuDocument(text.c_str()));
    text.assign(text.size(), 'X');  // the download buffer is gone after the handler
    items.push_back(kept.back().items.at(0));
  }
  for (int i = 0; i < 20; ++i) {
    EXPECT_EQ(items[i].id, 45001 + i);
    EXPECT_EQ(std::string(items[i].name), "n" + std::to_string(i));
    EXPECT_EQ(std::string(items[i].url), "http://h/" + std::to_string(i));
  }
}

TEST(ReadOnlineMenuDocument, BodyCutAtTheReadSizeKeepsTheItemsBeforeTheCut) {
  std::string body = "<m name='a'>";
  int count = 0;
  while (body.size() < 2 * OnlineMenuReadSize) {
    body += "<i id='" + std::to_string(45001 + count) + "' name='entry' url='http://h/'/>";
    ++count;
  }
  body += "</m>";
  // What the download hands over: the first bytes, zero-terminated inside the buffer.
  std::vector<char> buffer(OnlineMenuReadSize + 1, '\0');
  std::memcpy(buffer.data(), body.data(), OnlineMenuReadSize);
  const OnlineMenuDocument menu = ReadOnlineMenuDocument(buffer.data());

  const size_t complete =
      (OnlineMenuReadSize - std::strlen("<m name='a'>")) / std::strlen("<i id='45001' name='entry' url='http://h/'/>");
  ASSERT_GE(menu.items.size(), complete);
  ASSERT_LE(menu.items.size(), complete + 1);
  for (size_t i = 0; i < complete; ++i) {
    EXPECT_EQ(menu.items[i].id, static_cast<int32_t>(45001 + i));
    EXPECT_STREQ(menu.items[i].url, "http://h/");
  }
}

TEST(ReadOnlineMenuDocument, NeverReadsPastTheTerminatorAfterALeadByte) {
  // A declaration without encoding means UTF-8 to the parser, which takes 0xF0 as
  // the start of a four-byte sequence and would step over the zero into the rest
  // of the buffer (or past its end, at the end of a full download).
  const char buffer[] =
      "<?xml version='1.0'?><m name='a'><i id='45001' name='ok\xF0\0bc'/>"
      "<i id='45002' name='beyond the end' url='http://beyond/'/></m>";
  const OnlineMenuDocument menu = ReadOnlineMenuDocument(buffer);
  for (const OnlineMenuItem& item : menu.items) {
    EXPECT_NE(item.id, 45002);
    EXPECT_EQ(item.url, nullptr);
  }
}

struct TitleCase {
  const char* name;
  std::string title;
};

const TitleCase TitleCases[] = {
    {TUIJIAN, TUIJIAN "(&A)"},
    {"ab", "ab(&A)"},
    {"abcde", "abcde(&A)"},
    {"abcdef", "abcde(&A)"},
    {TUIJIAN XIAZAI, TUIJIAN "(&A)"},       // 8 bytes: two characters fit, not two and a half
    {"a" TUIJIAN "x", "a" TUIJIAN "(&A)"},  // exactly 5 bytes
    {"ab" TUIJIAN, "ab\xCD\xC6(&A)"},       // the second character would end at byte 6
    {"abcd" TUIJIAN, "abcd(&A)"},           // a character never split at the limit
    {"ab\x81", "ab(&A)"},                   // a lead byte with nothing after it
    {"\x81"
     "Abcd",
     "\x81"
     "Abcd(&A)"},  // lead and trail byte count as one character
    {"", "(&A)"},
    {nullptr, "(&A)"},
};

void PrintTo(const TitleCase& c, std::ostream* out) { *out << testing::PrintToString(c.name); }

class MakeOnlineMenuTitleTest : public testing::TestWithParam<TitleCase> {};

TEST_P(MakeOnlineMenuTitleTest, FitsTheTenByteBufferWithoutSplittingACharacter) {
  const TitleCase& c = GetParam();
  // Exactly the ten bytes the title may use: AddressSanitizer catches a write past them.
  char title[OnlineMenuTitleSize];
  std::memset(title, '#', sizeof(title));
  MakeOnlineMenuTitle(c.name, title);
  EXPECT_EQ(std::string(title), c.title);
}

INSTANTIATE_TEST_SUITE_P(Names, MakeOnlineMenuTitleTest, testing::ValuesIn(TitleCases));

struct AddressCase {
  const char* url;
  bool web;
};

const AddressCase AddressCases[] = {
    {"http://www.example.com/", true},
    {"https://www.example.com/a?b=c&d=e#f", true},
    {"HTTP://EXAMPLE.COM", true},
    {"hTtPs://x", true},
    {"http://\xC0\xFD\xD7\xD3/\xCF\xC2\xD4\xD8", true},  // GBK host and path
    {"http://", false},
    {"https://", false},
    {"", false},
    {nullptr, false},
    {"http:/x", false},
    {"http:\\\\x", false},
    {"httpx://x", false},
    {" http://x", false},
    {"ftp://x/", false},
    {"file:///C:/Windows/System32/calc.exe", false},
    {"C:\\Windows\\System32\\calc.exe", false},
    {"calc.exe", false},
    {"\\\\server\\share\\x.exe", false},
    {"javascript:alert(1)", false},
    {"mailto:a@example.com", false},
    {"http://x/\" --some-flag", false},
    {"http://x/ y", false},
    {"http://x/\ty", false},
    {"http://x/\ny", false},
    {"http://x/\x7F", false},
};

void PrintTo(const AddressCase& c, std::ostream* out) { *out << testing::PrintToString(c.url); }

class IsWebAddressTest : public testing::TestWithParam<AddressCase> {};

TEST_P(IsWebAddressTest, AcceptsOnlyHttpAndHttpsAddresses) {
  EXPECT_EQ(IsWebAddress(GetParam().url), GetParam().web) << (GetParam().url ? GetParam().url : "(null)");
}

INSTANTIATE_TEST_SUITE_P(Addresses, IsWebAddressTest, testing::ValuesIn(AddressCases));

TEST(OnlineMenuAddresses, OpensEveryWebAddressOfTheChosenIdInListOrder) {
  const std::vector<OnlineMenuItem> items = {
      {45001, "a", "http://one/"},           {45002, "b", "http://two/"},
      {45001, "c", "https://three/"},        {45003, "d", "file:///C:/Windows/System32/calc.exe"},
      {45003, "e", "https://after-unsafe/"}, {45004, "f", nullptr},
      {40013, "g", "http://help/"},          {0, "h", "http://zero/"},
      {45099, "i", "http://last/"},          {45100, "j", "http://over/"},
      {45000, "k", "http://under/"},         {-45001, "l", "http://negative/"},
  };
  const struct {
    uint64_t command;
    std::vector<std::string> opened;
  } cases[] = {
      {45001, {"http://one/", "https://three/"}},
      {45002, {"http://two/"}},
      {45003, {"https://after-unsafe/"}},
      {45004, {}},
      {45099, {"http://last/"}},
      {45100, {}},
      {45000, {}},
      {40013, {}},
      {0, {}},
      {45001 + 0x10000, {}},  // a command whose high word is set is no menu choice
      {45005, {}},
  };
  for (const auto& c : cases) {
    std::vector<std::string> opened;
    for (const char* url : OnlineMenuAddresses(items, c.command)) opened.push_back(url);
    EXPECT_EQ(opened, c.opened) << c.command;
  }
}

}  // namespace
