// Loaded into the program's process by qw_driver: reads what another process cannot
// (menus, tooltips, dialog units, message-box icons) and writes it as JSON.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>

#include "json_text.h"

namespace {

std::string MenuJson(HMENU menu) {
  std::string out = "[";
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    wchar_t text[256] = {};
    MENUITEMINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STATE | MIIM_SUBMENU | MIIM_STRING;
    info.dwTypeData = text;
    info.cch = 255;
    GetMenuItemInfoW(menu, i, TRUE, &info);
    char head[160];
    wsprintfA(head, "{\"id\":%u,\"type\":%u,\"state\":%u,\"separator\":%s,\"text\":", info.wID, info.fType,
              info.fState, (info.fType & MFT_SEPARATOR) ? "true" : "false");
    if (i) out += ",";
    out += head + Quote(text);
    if (info.hSubMenu) out += ",\"items\":" + MenuJson(info.hSubMenu);
    out += "}";
  }
  return out + "]";
}

// A window's text. Windows of the dialog's own thread are asked (an edit keeps its
// text to itself); others, such as those a browser control runs on threads of its
// own, are read without a message, so a busy thread cannot hold the probe up.
std::string StoredText(HWND window) {
  if (GetWindowThreadProcessId(window, nullptr) == GetWindowThreadProcessId(GetAncestor(window, GA_ROOT), nullptr)) {
    return WindowText(window);
  }
  wchar_t text[1024] = {};
  InternalGetWindowText(window, text, 1024);
  return Utf8(text);
}

std::string RectJson(const RECT& r) {
  char buffer[96];
  wsprintfA(buffer, "[%ld,%ld,%ld,%ld]", r.left, r.top, r.right - r.left, r.bottom - r.top);
  return buffer;
}

// The items of a shown pop-up menu (a "#32768" window) with their screen rectangles,
// so a test can click one as a user would.
std::string PopupItemsJson(HWND menuWindow) {
  HMENU menu = reinterpret_cast<HMENU>(SendMessageW(menuWindow, MN_GETHMENU, 0, 0));
  std::string out = "[";
  const int count = menu ? GetMenuItemCount(menu) : 0;
  for (int i = 0; i < count; ++i) {
    wchar_t text[256] = {};
    GetMenuStringW(menu, i, text, 255, MF_BYPOSITION);
    RECT r = {};
    GetMenuItemRect(nullptr, menu, i, &r);
    char head[64];
    wsprintfA(head, "{\"id\":%u,\"rect\":", GetMenuItemID(menu, i));
    out += (i ? "," : "") + std::string(head) + RectJson(r) + ",\"text\":" + Quote(Utf8(text)) + "}";
  }
  return out + "]";
}

const char* IconName(HWND box) {
  // Windows gives a message box's icon the id 20, Wine 0x440.
  HWND iconControl = GetDlgItem(box, 0x14);
  if (!iconControl) iconControl = GetDlgItem(box, 0x440);
  if (!iconControl) return "none";
  HICON icon = reinterpret_cast<HICON>(SendMessageW(iconControl, STM_GETICON, 0, 0));
  struct Known { LPCWSTR id; const char* name; } known[] = {
      {IDI_WARNING, "warning"}, {IDI_INFORMATION, "information"}, {IDI_ERROR, "error"}, {IDI_QUESTION, "question"}};
  for (const Known& k : known)
    if (icon == LoadIconW(nullptr, k.id)) return k.name;
  return icon ? "other" : "none";
}

struct ToolTipSearch {
  HWND window;
  std::string json;
};

BOOL CALLBACK CollectToolTip(HWND tip, LPARAM param) {
  auto* search = reinterpret_cast<ToolTipSearch*>(param);
  if (ClassNameOf(tip) != "tooltips_class32") return TRUE;
  const int count = static_cast<int>(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    wchar_t text[512] = {};
    TOOLINFOW info = {};
    info.cbSize = TTTOOLINFOW_V2_SIZE;
    info.lpszText = text;
    if (!SendMessageW(tip, TTM_ENUMTOOLSW, i, reinterpret_cast<LPARAM>(&info))) continue;
    HWND root = GetAncestor(info.hwnd, GA_ROOT);
    if (root != search->window) continue;
    char head[200];
    wsprintfA(head, "{\"control\":%d,\"flags\":%u,\"tipStyle\":%lu,\"tipExStyle\":%lu,\"text\":",
              GetDlgCtrlID(info.hwnd), info.uFlags, GetWindowLongW(tip, GWL_STYLE), GetWindowLongW(tip, GWL_EXSTYLE));
    if (!search->json.empty()) search->json += ",";
    search->json += head + Quote(text) + "}";
  }
  return TRUE;
}

std::string WindowJson(HWND window) {
  std::string out = "{";
  char buffer[256];
  RECT windowRect, client;
  GetWindowRect(window, &windowRect);
  GetClientRect(window, &client);
  RECT unit = {0, 0, 4, 8};
  MapDialogRect(window, &unit);  // pixels of 4 horizontal and 8 vertical dialog units
  wsprintfA(buffer,
            "\"hwnd\":%lu,\"style\":%lu,\"exStyle\":%lu,\"visible\":%s,\"iconic\":%s,\"owner\":%lu,"
            "\"unitX\":%ld,\"unitY\":%ld,\"windowRect\":",
            static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(window)), GetWindowLongW(window, GWL_STYLE),
            GetWindowLongW(window, GWL_EXSTYLE), IsWindowVisible(window) ? "true" : "false",
            IsIconic(window) ? "true" : "false",
            static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(GetWindow(window, GW_OWNER))), unit.right,
            unit.bottom);
  out += buffer + RectJson(windowRect) + ",\"client\":" + RectJson(client);
  out += ",\"caption\":" + Quote(StoredText(window)) + ",\"class\":" + Quote(ClassNameOf(window));
  out += ",\"icon\":" + Quote(IconName(window));
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0));
  LOGFONTW logFont = {};
  if (font && GetObjectW(font, sizeof(logFont), &logFont)) {
    wsprintfA(buffer, ",\"fontHeight\":%ld,\"fontWeight\":%ld,\"fontFace\":", logFont.lfHeight, logFont.lfWeight);
    out += buffer + Quote(logFont.lfFaceName);
  }
  HICON smallIcon = reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, ICON_SMALL, 0));
  HICON bigIcon = reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, ICON_BIG, 0));
  wsprintfA(buffer, ",\"smallIcon\":%s,\"bigIconSame\":%s", smallIcon ? "true" : "false",
            (smallIcon && smallIcon == bigIcon) ? "true" : "false");
  out += buffer;
  if (GetMenu(window)) out += ",\"menu\":" + MenuJson(GetMenu(window));
  // Where the client area starts on the screen, and which cursor the input in front shows.
  POINT clientOrigin = {0, 0};
  ClientToScreen(window, &clientOrigin);
  CURSORINFO cursor = {};
  cursor.cbSize = sizeof(cursor);
  GetCursorInfo(&cursor);
  wsprintfA(buffer, ",\"clientOrigin\":[%ld,%ld],\"cursor\":\"%s\"", clientOrigin.x, clientOrigin.y,
            cursor.hCursor == LoadCursorW(nullptr, IDC_HAND)    ? "hand"
            : cursor.hCursor == LoadCursorW(nullptr, IDC_ARROW) ? "arrow"
                                                                : "other");
  out += buffer;
  if (ClassNameOf(window) == "#32768") out += ",\"popupItems\":" + PopupItemsJson(window);

  out += ",\"controls\":[";
  bool first = true;
  for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
    wsprintfA(buffer, "{\"id\":%d,\"style\":%lu,\"exStyle\":%lu,\"visible\":%s,\"rect\":", GetDlgCtrlID(child),
              GetWindowLongW(child, GWL_STYLE), GetWindowLongW(child, GWL_EXSTYLE),
              IsWindowVisible(child) ? "true" : "false");
    out += (first ? "" : ",") + std::string(buffer) + RectJson(r);
    first = false;
    out += ",\"class\":" + Quote(ClassNameOf(child)) + ",\"text\":" + Quote(StoredText(child));
    if (ClassNameOf(child) == "ComboBox") {
      out += ",\"items\":[";
      const int count = static_cast<int>(SendMessageW(child, CB_GETCOUNT, 0, 0));
      for (int i = 0; i < count; ++i) {
        wchar_t item[256] = {};
        SendMessageW(child, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item));
        out += (i ? "," : "") + Quote(item);
      }
      wsprintfA(buffer, "],\"selection\":%d", static_cast<int>(SendMessageW(child, CB_GETCURSEL, 0, 0)));
      out += buffer;
    }
    out += "}";
  }
  out += "]";

  ToolTipSearch search{window, {}};
  EnumThreadWindows(GetWindowThreadProcessId(window, nullptr), CollectToolTip, reinterpret_cast<LPARAM>(&search));
  out += ",\"tooltips\":[" + search.json + "]";
  return out + "}";
}

}  // namespace

// Request: "<window handle in decimal> <output file>". Runs on a thread that the
// driver starts in this process.
extern "C" __declspec(dllexport) DWORD WINAPI ProbeWindow(LPVOID request) {
  const wchar_t* text = static_cast<const wchar_t*>(request);
  wchar_t* end = nullptr;
  HWND window = reinterpret_cast<HWND>(static_cast<UINT_PTR>(wcstoul(text, &end, 10)));
  while (end && *end == L' ') ++end;
  if (!IsWindow(window) || end == nullptr || *end == 0) return 1;
  const std::string json = WindowJson(window);
  HANDLE file = CreateFileW(end, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 2;
  DWORD written = 0;
  WriteFile(file, json.data(), static_cast<DWORD>(json.size()), &written, nullptr);
  CloseHandle(file);
  return 0;
}

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
