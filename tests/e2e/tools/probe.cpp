// Runs inside the program's process (qw_driver probe) and writes a window as JSON:
// what Wine shows no other process (menus, tooltips, fonts, a message box's icon).
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <string>

namespace {

std::string Quote(const wchar_t* text) {
  char utf8[4096] = {};
  WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof(utf8) - 1, nullptr, nullptr);
  std::string out = "\"";
  for (const char* c = utf8; *c; ++c) {
    if (*c == '"' || *c == '\\') out += '\\';
    out += static_cast<unsigned char>(*c) < 0x20 ? "\\u00" + std::string(1, "01"[*c / 16]) + "0123456789abcdef"[*c % 16]
                                                 : std::string(1, *c);
  }
  return out + "\"";
}

std::string Num(long long n) { return std::to_string(n); }
std::string Rect(const RECT& r) {
  return "[" + Num(r.left) + "," + Num(r.top) + "," + Num(r.right - r.left) + "," + Num(r.bottom - r.top) + "]";
}
std::string Class(HWND w) {
  wchar_t name[64] = {};
  GetClassNameW(w, name, 64);
  return Quote(name);
}

// An edit keeps its text to itself, so windows of the dialog's thread are asked;
// others (the browser control's) are read without a message, so no busy thread holds the probe.
bool OwnThread(HWND w) {
  return GetWindowThreadProcessId(w, nullptr) == GetWindowThreadProcessId(GetAncestor(w, GA_ROOT), nullptr);
}

std::string Text(HWND w) {
  wchar_t text[1024] = {};
  if (OwnThread(w))
    GetWindowTextW(w, text, 1024);
  else
    InternalGetWindowText(w, text, 1024);
  return Quote(text);
}

// Items with their screen rectangles, so that a test can click one as a user would.
std::string Menu(HMENU menu) {
  std::string out = "[";
  for (int i = 0; menu && i < GetMenuItemCount(menu); ++i) {
    wchar_t text[256] = {};
    GetMenuStringW(menu, i, text, 255, MF_BYPOSITION);
    RECT r = {};
    GetMenuItemRect(nullptr, menu, i, &r);
    out += (i ? ",{\"id\":" : "{\"id\":") + Num(static_cast<int>(GetMenuItemID(menu, i))) + ",\"text\":" + Quote(text) +
           ",\"rect\":" + Rect(r) + ",\"items\":" + Menu(GetSubMenu(menu, i)) + "}";
  }
  return out + "]";
}

// The pixel width of a control's text in its own font: whether the text is whole.
long TextWidth(HWND w) {
  wchar_t text[1024] = {};
  if (!OwnThread(w)) return 0;
  const int length = GetWindowTextW(w, text, 1024);
  HDC dc = GetDC(w);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(w, WM_GETFONT, 0, 0)));
  SIZE size = {};
  GetTextExtentPoint32W(dc, text, length, &size);
  SelectObject(dc, old);
  ReleaseDC(w, dc);
  return size.cx;
}

long IconWidth(HWND w, WPARAM which) {  // the window's small or big icon, in pixels; 0 without one
  ICONINFO info = {};
  BITMAP bitmap = {};
  if (GetIconInfo(reinterpret_cast<HICON>(SendMessageW(w, WM_GETICON, which, 0)), &info))
    GetObjectW(info.hbmColor, sizeof(bitmap), &bitmap), DeleteObject(info.hbmColor), DeleteObject(info.hbmMask);
  return bitmap.bmWidth;
}

struct Tips {
  HWND root;
  std::string json;
};

BOOL CALLBACK CollectTips(HWND tip, LPARAM param) {
  auto* tips = reinterpret_cast<Tips*>(param);
  for (int i = 0; Class(tip) == "\"tooltips_class32\"" && i < SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0); ++i) {
    wchar_t text[512] = {};
    TOOLINFOW info = {};
    info.cbSize = TTTOOLINFOW_V2_SIZE;
    info.lpszText = text;
    if (SendMessageW(tip, TTM_ENUMTOOLSW, i, reinterpret_cast<LPARAM>(&info)) &&
        GetAncestor(info.hwnd, GA_ROOT) == tips->root)
      tips->json += (tips->json.empty() ? "[" : ",[") + Num(GetDlgCtrlID(info.hwnd)) + "," + Quote(text) + "]";
  }
  return TRUE;
}

std::string Window(HWND w) {
  RECT r, client;
  GetWindowRect(w, &r), GetClientRect(w, &client);
  MapWindowPoints(w, nullptr, reinterpret_cast<POINT*>(&client), 2);
  LOGFONTW font = {};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(w, WM_GETFONT, 0, 0)), sizeof(font), &font);
  // A message box's icon: id 20 on Windows, 0x440 under Wine.
  HWND icon = GetDlgItem(w, 20) ? GetDlgItem(w, 20) : GetDlgItem(w, 0x440);
  const HICON shown = icon ? reinterpret_cast<HICON>(SendMessageW(icon, STM_GETICON, 0, 0)) : nullptr;
  CURSORINFO cursor = {};
  cursor.cbSize = sizeof(cursor);
  GetCursorInfo(&cursor);
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  std::string out =
      "{\"caption\":" + Text(w) + ",\"class\":" + Class(w) + ",\"style\":" + Num(GetWindowLongW(w, GWL_STYLE)) +
      ",\"visible\":" + Num(IsWindowVisible(w)) + ",\"iconic\":" + Num(IsIconic(w)) +
      ",\"owner\":" + Num(reinterpret_cast<UINT_PTR>(GetWindow(w, GW_OWNER))) + ",\"rect\":" + Rect(r) +
      ",\"client\":" + Rect(client) + ",\"font\":[" + Quote(font.lfFaceName) + "," + Num(font.lfHeight) +
      "],\"dpi\":" + Num(dpi) + ",\"icons\":[" + Num(IconWidth(w, ICON_SMALL)) + "," + Num(IconWidth(w, ICON_BIG)) +
      "],\"icon\":\"" +
      (shown == LoadIconW(nullptr, IDI_WARNING)       ? "warning"
       : shown == LoadIconW(nullptr, IDI_INFORMATION) ? "information"
                                                      : "") +
      "\",\"hand\":" + Num(cursor.hCursor == LoadCursorW(nullptr, IDC_HAND)) + ",\"menu\":" + Menu(GetMenu(w)) +
      ",\"popup\":" + Menu(reinterpret_cast<HMENU>(SendMessageW(w, MN_GETHMENU, 0, 0))) + ",\"controls\":[";
  for (HWND c = GetWindow(w, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    RECT cr;
    GetWindowRect(c, &cr);
    MapWindowPoints(nullptr, w, reinterpret_cast<POINT*>(&cr), 2);
    out += "{\"id\":" + Num(static_cast<short>(GetDlgCtrlID(c))) + ",\"hwnd\":" + Num(reinterpret_cast<UINT_PTR>(c)) +
           ",\"class\":" + Class(c) + ",\"text\":" + Text(c) + ",\"style\":" + Num(GetWindowLongW(c, GWL_STYLE)) +
           ",\"visible\":" + Num(IsWindowVisible(c)) + ",\"rect\":" + Rect(cr) + ",\"textWidth\":" + Num(TextWidth(c)) +
           ",\"items\":[";
    const bool combo = Class(c) == "\"ComboBox\"", list = Class(c) == "\"ListBox\"";
    for (int i = 0; (combo || list) && i < SendMessageW(c, combo ? CB_GETCOUNT : LB_GETCOUNT, 0, 0); ++i) {
      wchar_t item[256] = {};
      SendMessageW(c, combo ? CB_GETLBTEXT : LB_GETTEXT, i, reinterpret_cast<LPARAM>(item));
      out += (i ? "," : "") + Quote(item);
    }
    out += "],\"selection\":" + Num(combo ? SendMessageW(c, CB_GETCURSEL, 0, 0) : -1) + "},";
  }
  if (out.back() == ',') out.pop_back();
  Tips tips{w, {}};
  EnumThreadWindows(GetWindowThreadProcessId(w, nullptr), CollectTips, reinterpret_cast<LPARAM>(&tips));
  return out + "],\"tips\":[" + tips.json + "]}";
}

// Where GetGuiResources counts GDI objects, its count; otherwise (Wine) the highest table
// index, in a handle's low word, that a batch of fresh objects gets. Freed slots are handed
// out again first, so that index grows only while objects are left behind.
long GdiObjectsInUse() {
  if (const DWORD count = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS)) return static_cast<long>(count);
  HBRUSH brushes[32];
  long highest = 0;
  for (HBRUSH& brush : brushes) highest = std::max(highest, static_cast<long>(LOWORD(brush = CreateSolidBrush(0))));
  for (HBRUSH brush : brushes) DeleteObject(brush);
  return highest;
}

}  // namespace

// Request: "<window handle> <repaints> <output file>": first repaints every owner-drawn
// child that many times, then writes the window; 1 when the file was written. Exported
// undecorated on both architectures (a 32-bit MSVC build would say _ProbeWindow@4).
#if defined(_MSC_VER) && defined(_M_IX86)
#pragma comment(linker, "/EXPORT:ProbeWindow=_ProbeWindow@4")
#endif
extern "C" __declspec(dllexport) DWORD WINAPI ProbeWindow(LPVOID request) {
  wchar_t* file = nullptr;
  HWND w = reinterpret_cast<HWND>(static_cast<UINT_PTR>(wcstoull(static_cast<wchar_t*>(request), &file, 10)));
  const unsigned long repaints = wcstoul(file, &file, 10);
  if (!IsWindow(w) || *file++ != L' ') return 0;
  for (HWND c = GetWindow(w, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    for (unsigned long i = 0; (GetWindowLongW(c, GWL_STYLE) & SS_TYPEMASK) == SS_OWNERDRAW && i < repaints; ++i)
      RedrawWindow(c, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  }
  const std::string json = Window(w).insert(1, "\"gdi\":" + Num(GdiObjectsInUse()) + ",");
  HANDLE out = CreateFileW(file, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  const bool ok = out != INVALID_HANDLE_VALUE && WriteFile(out, json.data(), json.size(), &written, nullptr);
  if (out != INVALID_HANDLE_VALUE) CloseHandle(out);
  return ok ? 1 : 0;
}
