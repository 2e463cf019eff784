// Reading the online-menu document: text in, the pop-up's title and its entries out.
// No Win32 here; the texts stay 8-bit in the system's ANSI code page, as the menu
// and shell functions that receive them expect.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "res/resource.h"

class TiXmlDocument;

// One entry of the online menu. The texts point into the parsed document that
// produced the entry and are valid as long as that document lives.
struct OnlineMenuItem {
  int32_t id;        // the "id" attribute as atoi reads it; 0 when absent
  const char* name;  // the "name" attribute; "" when absent, never null
  const char* url;   // the "url" attribute; null when absent
};

// The pop-up's title: at most this many bytes of the root's "name", then "(&A)"
// and a terminating zero, ten bytes in all.
constexpr size_t OnlineMenuTitleSize = 10;
constexpr size_t OnlineMenuNameLimit = OnlineMenuTitleSize - sizeof("(&A)");

// The download reads at most this many bytes of the body into a buffer one byte
// longer, so that even a full read stays zero-terminated inside it.
constexpr size_t OnlineMenuReadSize = 1024;

// What one document makes. Owns the parsed tree, so the items' texts live exactly
// as long as this object; the program keeps it until it ends.
struct OnlineMenuDocument {
  OnlineMenuDocument();
  OnlineMenuDocument(OnlineMenuDocument&&) noexcept;
  OnlineMenuDocument& operator=(OnlineMenuDocument&&) noexcept;
  ~OnlineMenuDocument();

  std::unique_ptr<TiXmlDocument> xml;
  char title[OnlineMenuTitleSize] = {};  // meaningful only when items is not empty
  std::vector<OnlineMenuItem> items;     // document order; empty: no pop-up at all
};

// Parses text (zero-terminated; nothing after the terminator is read) with
// TinyXML, detecting the encoding itself. Parse errors are not fatal: what was
// built before the fault is used.
OnlineMenuDocument ReadOnlineMenuDocument(const char* text);

// Writes name, cut to OnlineMenuNameLimit bytes without splitting a double-byte
// character of code page 936, followed by "(&A)", into title. A missing name
// counts as empty, so the pop-up still shows "(A)" and opens with Alt+A.
void MakeOnlineMenuTitle(const char* name, char (&title)[OnlineMenuTitleSize]) noexcept;

// True only for addresses the shell may open in a web browser: "http://" or
// "https://" (any case) followed by an address without spaces, control characters
// or double quotes. Anything else (local paths, "file:", UNC paths, "javascript:")
// could run a program or a script on the user's machine.
bool IsWebAddress(const char* url) noexcept;

// The addresses to open for a menu command, in list order: those of every entry
// whose id equals the whole command, whose id is an online-menu id, and whose
// address is a web address.
std::vector<const char*> OnlineMenuAddresses(const std::vector<OnlineMenuItem>& items, uint64_t command);
