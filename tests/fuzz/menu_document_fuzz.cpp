// libFuzzer target (scripts/test.d/native-fuzz.sh): any body the content server could
// send, read as the program reads it. Crashes, sanitizer reports and broken invariants fail.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "online/menu_document.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

void CheckTitle(const char* title) {
  const size_t length = strnlen(title, OnlineMenuTitleSize);
  Check(length < OnlineMenuTitleSize);
  Check(length >= 4 && std::memcmp(title + length - 4, "(&A)", 4) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // As the download hands it over: at most the read size, zero-terminated within
  // a buffer one byte longer, cut at any zero byte of the body.
  char buffer[OnlineMenuReadSize + 1] = {};
  std::memcpy(buffer, data, size < OnlineMenuReadSize ? size : OnlineMenuReadSize);

  const OnlineMenuDocument menu = ReadOnlineMenuDocument(buffer);
  if (!menu.items.empty()) CheckTitle(menu.title);
  for (const OnlineMenuItem& item : menu.items) {
    Check(item.name != nullptr);
    (void)std::strlen(item.name);
    if (item.url != nullptr) (void)std::strlen(item.url);
    for (const char* url : OnlineMenuAddresses(menu.items, static_cast<uint32_t>(item.id))) {
      Check(IsWebAddress(url));
      Check(item.id >= ONLINE_MENU_FIRST_ID && item.id <= ONLINE_MENU_LAST_ID);
    }
  }

  // The title rule on every name at all, not only on names the parser lets through.
  char title[OnlineMenuTitleSize];
  MakeOnlineMenuTitle(buffer, title);
  CheckTitle(title);
  (void)IsWebAddress(buffer);
  return 0;
}
