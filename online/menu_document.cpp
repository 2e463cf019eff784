#include "online/menu_document.h"

#include <tinyxml.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// Zero bytes after the text beyond its terminator: the longest UTF-8 sequence
// TinyXML assumes is four bytes, so it can land at most three bytes further on.
constexpr size_t TextPadding = 3;

// Code page 936 (GBK): a byte from 0x81 to 0xFE starts a two-byte character.
bool IsLeadByte936(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }

// The "id" value read as atoi reads it (white space, sign, digits, stop at the
// first other character, 0 without digits), but with a defined result for values
// beyond 32 bits, where atoi's is undefined; clamped values are never menu ids.
int32_t ReadId(const char* text) {
  if (text == nullptr) return 0;
  const long value = std::strtol(text, nullptr, 10);
  if (value > INT32_MAX) return INT32_MAX;
  if (value < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(value);
}

bool StartsWithNoCase(const char* text, const char* prefix) {
  for (; *prefix != '\0'; ++text, ++prefix) {
    char c = *text;
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != *prefix) return false;
  }
  return true;
}

}  // namespace

OnlineMenuDocument::OnlineMenuDocument() = default;
OnlineMenuDocument::OnlineMenuDocument(OnlineMenuDocument&&) noexcept = default;
OnlineMenuDocument& OnlineMenuDocument::operator=(OnlineMenuDocument&&) noexcept = default;
OnlineMenuDocument::~OnlineMenuDocument() = default;

void MakeOnlineMenuTitle(const char* name, char (&title)[OnlineMenuTitleSize]) noexcept {
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(name != nullptr ? name : "");
  size_t kept = 0;
  while (bytes[kept] != 0) {
    size_t width = 1;
    if (IsLeadByte936(bytes[kept])) {
      // A lead byte with nothing after it would swallow the "(" of the suffix and
      // with it the access key, so it goes too.
      if (bytes[kept + 1] == 0) break;
      width = 2;
    }
    if (kept + width > OnlineMenuNameLimit) break;
    kept += width;
  }
  std::memcpy(title, bytes, kept);
  std::memcpy(title + kept, "(&A)", sizeof("(&A)"));
}

OnlineMenuDocument ReadOnlineMenuDocument(const char* text) {
  OnlineMenuDocument menu;
  menu.xml = std::make_unique<TiXmlDocument>();
  // In UTF-8 mode TinyXML steps over a whole multi-byte sequence at once, so a lead
  // byte just before the terminating zero carries it up to three bytes past that
  // zero, into whatever follows: the rest of the body or memory beyond the buffer.
  // It gets a copy that ends in enough zeros to stop it.
  std::string padded(text != nullptr ? text : "");
  padded.append(TextPadding, '\0');
  // The error state is not consulted: a document cut short still gives the items
  // that were complete before the fault.
  menu.xml->Parse(padded.c_str(), nullptr, TIXML_ENCODING_UNKNOWN);

  const TiXmlElement* root = menu.xml->FirstChildElement();
  if (root == nullptr) return menu;
  for (const TiXmlElement* item = root->FirstChildElement(); item != nullptr; item = item->NextSiblingElement()) {
    const char* name = item->Attribute("name");
    menu.items.push_back({ReadId(item->Attribute("id")), name != nullptr ? name : "", item->Attribute("url")});
  }
  if (!menu.items.empty()) MakeOnlineMenuTitle(root->Attribute("name"), menu.title);
  return menu;
}

bool IsWebAddress(const char* url) noexcept {
  if (url == nullptr) return false;
  size_t scheme = 0;
  if (StartsWithNoCase(url, "http://")) {
    scheme = sizeof("http://") - 1;
  } else if (StartsWithNoCase(url, "https://")) {
    scheme = sizeof("https://") - 1;
  } else {
    return false;
  }
  if (url[scheme] == '\0') return false;
  // The handler's command line gets the address in quotes; a quote or a blank in
  // it could add arguments of the server's choosing. No valid URL holds them, and
  // no trail byte of code page 936 is among them.
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(url); *p != 0; ++p) {
    if (*p <= 0x20 || *p == 0x7F || *p == '"') return false;
  }
  return true;
}

std::vector<const char*> OnlineMenuAddresses(const std::vector<OnlineMenuItem>& items, uint64_t command) {
  std::vector<const char*> addresses;
  if (command < ONLINE_MENU_FIRST_ID || command > ONLINE_MENU_LAST_ID) return addresses;
  for (const OnlineMenuItem& item : items) {
    if (item.id == static_cast<int32_t>(command) && IsWebAddress(item.url)) {
      addresses.push_back(item.url);
    }
  }
  return addresses;
}
