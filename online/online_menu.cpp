#include "online/online_menu.h"

#include <shellapi.h>

#include "common/window_messages.h"
#include "common/maker_config.h"
#include "online/internet_handle.h"

std::vector<OnlineMenuItem> onlineMenuItems;

namespace {

// The parsed documents behind onlineMenuItems: the records point into them, so
// they are kept until the process ends.
std::vector<OnlineMenuDocument> onlineMenuDocuments;

const wchar_t MenuAddress[] = QW_CONTENT_SCHEME L"://" QW_CONTENT_HOST L"/menu.php";
// Over https on port 443. No INTERNET_FLAG_IGNORE_* flag: a certificate that is not
// valid for the host fails the request. WinINet would follow a redirect even to
// plain http, so over https it follows none: the 3xx is the answer, and not a 200.
const DWORD MenuRequestFlags =
    INTERNET_FLAG_RELOAD | (ContentOverHttps ? INTERNET_FLAG_SECURE | INTERNET_FLAG_NO_AUTO_REDIRECT : 0);

void BuildOnlineMenu(HWND dialog, const char* text) {
  OnlineMenuDocument read = ReadOnlineMenuDocument(text);
  // A root without items gives nothing, not even an empty pop-up.
  if (read.items.empty()) return;

  // Room first, so nothing below can fail half-way for lack of memory.
  onlineMenuItems.reserve(onlineMenuItems.size() + read.items.size());
  onlineMenuDocuments.push_back(std::move(read));
  const OnlineMenuDocument& menu = onlineMenuDocuments.back();

  HMENU bar = GetMenu(dialog);
  HMENU popup = CreatePopupMenu();
  if (popup == nullptr) return;
  for (const OnlineMenuItem& item : menu.items) {
    AppendMenuA(popup, MF_STRING, static_cast<UINT_PTR>(static_cast<UINT>(item.id)), item.name);
    onlineMenuItems.push_back(item);
  }
  if (bar == nullptr || !AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), menu.title)) {
    DestroyMenu(popup);
    return;
  }
  // The menu bar owns the pop-up from here and destroys it with the dialog.
  // Without a redraw the new title would only show when the bar is next painted.
  DrawMenuBar(dialog);
}

}  // namespace

DWORD WINAPI OnlineMenuThread(LPVOID parameter) {
  HWND dialog = static_cast<HWND>(parameter);
  // Asked here, not by the dialog: the question loads WinINet, which takes a while.
  DWORD connectionFlags = 0;
  if (!InternetGetConnectedState(&connectionFlags, 0)) return 1;
  InternetHandle internet(InternetOpenW(L"QW_ZururOvuvu", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
  if (internet.get() == nullptr) return 1;
  // Always from the server, never the cache: the menu is the server's to change.
  InternetHandle request(InternetOpenUrlW(internet.get(), MenuAddress, nullptr, 0, MenuRequestFlags, 0));
  if (request.get() == nullptr) return 1;

  if (!AnsweredOk(request.get())) return 0;

  // One byte more than is read keeps even a full 1024-byte read zero-terminated
  // inside the buffer; the reader never looks past that zero.
  char buffer[OnlineMenuReadSize + 1] = {};
  DWORD bytesRead = 0;
  if (!InternetReadFile(request.get(), buffer, OnlineMenuReadSize, &bytesRead)) return 0;
  // Waits until the dialog has read the text; fails harmlessly once it is gone.
  SendMessageW(dialog, WM_ONLINEMENU, 0, reinterpret_cast<LPARAM>(buffer));
  return 0;
}

INT_PTR OnOnlineMenuXml(HWND dialog, const char* text) {
  // Only memory can run out here; a menu that cannot be built is simply not shown.
  try {
    BuildOnlineMenu(dialog, text);
  } catch (...) {
  }
  return TRUE;
}

INT_PTR OpenOnlineMenuItem(WPARAM command) {
  try {
    // Only web addresses reach the shell: the document may come over plain HTTP,
    // and anything else could open local files or run programs and scripts.
    for (const char* url : OnlineMenuAddresses(onlineMenuItems, command)) {
      // Like every failure of the online extras, a failed launch stays silent.
      ShellExecuteA(nullptr, "open", url, nullptr, nullptr, SW_SHOWNORMAL);
    }
  } catch (...) {
  }
  return TRUE;
}
