#include "desktop/tray.h"

#include <commctrl.h>

#include <cstddef>

#include "common/window_messages.h"
#include "desktop/tray_record.h"
#include "res/resource.h"

NOTIFYICONDATAW TrayIconData;

// The sizes the record is registered with come from the headers: 956 and 936 bytes
// on a 32-bit build, 976 and 952 on a 64-bit one, as shells of each generation expect.
// (The version-2 size ends where guidItem begins; offsetof is a constant everywhere.)
static_assert(sizeof(NOTIFYICONDATAW) == (sizeof(void*) == 4 ? 956 : 976) &&
                  offsetof(NOTIFYICONDATAW, guidItem) == (sizeof(void*) == 4 ? 936 : 952),
              "NOTIFYICONDATAW must include guidItem and hBalloonIcon (_WIN32_WINNT 0x0600)");

namespace {

// Whether the icon should be in the notification area: between the tray command's
// add and the delete of a left click, "显示程序界面" or "退出程序". UI thread only.
bool iconAdded = false;
// The icon at the notification area's own scale, when the system can give one; kept
// for the whole run. Otherwise the window's small icon stands in.
HICON shellScaledIcon = nullptr;

// Destroys the tray menu on every path out of ShowTrayMenu.
class PopupMenu {
 public:
  PopupMenu() : menu_(CreatePopupMenu()) {}
  ~PopupMenu() {
    if (menu_) DestroyMenu(menu_);
  }
  PopupMenu(const PopupMenu&) = delete;
  PopupMenu& operator=(const PopupMenu&) = delete;
  HMENU get() const { return menu_; }

 private:
  HMENU menu_;
};

uint64_t ReadDllVersion(DLLGETVERSIONPROC getVersion) {
  DLLVERSIONINFO info = {};
  info.cbSize = sizeof(info);  // 20: the first version of the record, which every library accepts
  if (getVersion == nullptr || FAILED(getVersion(&info))) return 0;
  return PackShellVersion(info.dwMajorVersion, info.dwMinorVersion);
}

// The notification area draws at the scale of the primary monitor, whichever monitor
// the window is on: LoadIconMetric loads the small icon at that size (comctl32
// version 6, which the manifest asks for). Looked up, since version 5 has none.
HICON LoadShellScaledIcon() {
  using LoadIconMetricProc = HRESULT(WINAPI*)(HINSTANCE, PCWSTR, int, HICON*);
  HMODULE controls = GetModuleHandleW(L"comctl32.dll");
  const auto loadIconMetric =
      controls != nullptr
          ? reinterpret_cast<LoadIconMetricProc>(reinterpret_cast<void*>(GetProcAddress(controls, "LoadIconMetric")))
          : nullptr;
  HICON icon = nullptr;
  if (loadIconMetric == nullptr ||
      FAILED(loadIconMetric(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_APP), LIM_SMALL, &icon))) {
    return nullptr;
  }
  return icon;
}

}  // namespace

uint64_t GetShellVersion(HMODULE shellLibrary) {
  // Through void*: a FARPROC does not convert to another function type directly.
  const auto getVersion =
      reinterpret_cast<DLLGETVERSIONPROC>(reinterpret_cast<void*>(GetProcAddress(shellLibrary, "DllGetVersion")));
  const uint64_t version = ReadDllVersion(getVersion);
  FreeLibrary(shellLibrary);
  return version;
}

void PrepareTrayIcon(HWND dialog) {
  ZeroMemory(&TrayIconData, sizeof(TrayIconData));

  // A library that cannot be loaded has nothing to free; GetShellVersion frees one that was.
  HMODULE shell = LoadLibraryW(L"Shell32.dll");
  const uint64_t shellVersion = shell != nullptr ? GetShellVersion(shell) : 0;
  TrayIconData.cbSize = TrayRecordSize(shellVersion, sizeof(NOTIFYICONDATAW), NOTIFYICONDATAW_V2_SIZE);

  TrayIconData.uID = 1;
  TrayIconData.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  shellScaledIcon = LoadShellScaledIcon();
  TrayIconData.hIcon = shellScaledIcon != nullptr
                           ? shellScaledIcon
                           : reinterpret_cast<HICON>(SendMessageW(dialog, WM_GETICON, ICON_SMALL, 0));
  TrayIconData.hWnd = dialog;
  TrayIconData.uCallbackMessage = WM_TRAYICON;
  // The program's title, as dialog 102 carries it.
  GetWindowTextW(dialog, TrayIconData.szTip, ARRAYSIZE(TrayIconData.szTip));
}

void ShowTrayMenu(HWND dialog) {
  POINT cursor = {};
  GetCursorPos(&cursor);

  PopupMenu menu;
  if (menu.get() == nullptr) return;
  InsertMenuW(menu.get(), static_cast<UINT>(-1), MF_BYPOSITION | MF_STRING, IDM_TRAY_SHOW, L"显示程序界面");
  InsertMenuW(menu.get(), static_cast<UINT>(-1), MF_BYPOSITION | MF_STRING, IDM_TRAY_EXIT, L"退出程序");

  // Unless the owner is the foreground window, the menu stays open when the user
  // clicks elsewhere.
  SetForegroundWindow(dialog);
  // The chosen item arrives as WM_COMMAND to the dialog, carried out by OnCommand.
  TrackPopupMenu(menu.get(), TPM_BOTTOMALIGN, cursor.x, cursor.y, 0, dialog, nullptr);
  // Without a message after the menu loop, the next tray menu can close as soon
  // as it opens (the task switch that SetForegroundWindow began is completed only
  // by the next message to the window).
  PostMessageW(dialog, WM_NULL, 0, 0);
}

void SetTrayIconPicture(HICON icon) {
  if (shellScaledIcon != nullptr) return;
  TrayIconData.hIcon = icon;
  if (iconAdded) Shell_NotifyIconW(NIM_MODIFY, &TrayIconData);
}

void AddTrayIcon() {
  iconAdded = true;
  Shell_NotifyIconW(NIM_ADD, &TrayIconData);
}

void RemoveTrayIcon() {
  iconAdded = false;
  Shell_NotifyIconW(NIM_DELETE, &TrayIconData);
}

void RestoreFromTray(HWND dialog) {
  RemoveTrayIcon();
  ShowWindow(dialog, SW_SHOW);
}

bool IsTaskbarCreatedMessage(UINT message) {
  // Registered once; the same number in every process of the session.
  static const UINT taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
  return taskbarCreated != 0 && message == taskbarCreated;
}

INT_PTR OnTaskbarCreated() {
  if (iconAdded) Shell_NotifyIconW(NIM_ADD, &TrayIconData);
  return 0;
}
