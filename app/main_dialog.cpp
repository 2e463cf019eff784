#include "app/main_dialog.h"

#include <commctrl.h>

#include <cstdlib>

#include "app/commands.h"
#include "app/save_flow.h"
#include "clicker/click_engine.h"
#include "clicker/click_settings.h"
#include "clicker/settings.h"
#include "common/dpi.h"
#include "desktop/tray.h"
#include "online/banner.h"
#include "online/online_menu.h"
#include "res/resource.h"

MainDialogControls mainControls;
bool bannerChosen = false;

namespace {

struct ToolTipEntry {
  HWND MainDialogControls::*control;
  const wchar_t* text;
};

// In the order they are attached.
const ToolTipEntry ToolTips[] = {
    {&MainDialogControls::startKey, L"设置开始连点热键，不可与结束热键一致。"},
    {&MainDialogControls::endKey, L"设置结束连点热键，不可与开始热键一致。"},
    {&MainDialogControls::leftMethod, L"设置左键连点方法，左、右键至少需要启用一个。"},
    {&MainDialogControls::rightMethod, L"设置右键连点方法，左、右键至少需要启用一个。"},
    {&MainDialogControls::leftInterval, L"设置左键连点的间隔毫秒数，启用左键时必须大于0。"},
    {&MainDialogControls::rightInterval, L"设置右键连点的间隔毫秒数，启用右键时必须大于0。"},
    {&MainDialogControls::save, L"保存当前设置。"},
    {&MainDialogControls::tray, L"将程序放至托盘。"},
    {&MainDialogControls::exit, L"退出程序。"},
};

void FillCombo(HWND combo, const wchar_t* const* labels, int count) {
  for (int i = 0; i < count; ++i) SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(labels[i]));
}

void SetIntervalText(HWND edit, int32_t interval) {
  wchar_t text[20];
  _itow_s(interval, text, 20, 10);
  SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

HICON LoadProgramIcon(int sizeMetric, UINT dpi) {
  const int size = MetricForDpi(sizeMetric, dpi);
  return static_cast<HICON>(
      LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
}

// The caption and the tray show the small icon, the task switcher and the taskbar
// the big one: each is loaded at the size its place has at the window's scale, from
// the icon's own 16, 32 and 48 pixel pictures. Kept until the scale changes; the
// icons they replace are destroyed once nothing shows them.
void SetWindowIcons(HWND dialog, UINT dpi) {
  const HICON small = LoadProgramIcon(SM_CXSMICON, dpi);
  const HICON replaced[] = {
      reinterpret_cast<HICON>(SendMessageW(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small))),
      reinterpret_cast<HICON>(
          SendMessageW(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(LoadProgramIcon(SM_CXICON, dpi))))};
  SetTrayIconPicture(small);
  for (HICON icon : replaced) {
    if (icon) DestroyIcon(icon);
  }
}

INT_PTR OnTrayIcon(HWND dialog, LPARAM mouseMessage) {
  switch (mouseMessage) {
    case WM_LBUTTONDOWN:
      RestoreFromTray(dialog);
      return 1;
    case WM_RBUTTONDOWN:
      ShowTrayMenu(dialog);
      return 1;
    default:
      return 0;
  }
}

}  // namespace

HWND CreateToolTips(HWND dialog) {
  // Owned by the dialog: destroyed with it. One for all the dialog's controls.
  HWND tips = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, dialog, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
  SetWindowPos(tips, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  return tips;
}

void AddToolTip(HWND tips, HWND control, const wchar_t* text) {
  TOOLINFOW info = {};
  // The version-2 record (up to lParam) is what every comctl32 version accepts.
  info.cbSize = TTTOOLINFOW_V2_SIZE;
  info.uFlags = TTF_SUBCLASS;
  info.hwnd = control;
  info.uId = 0;
  GetClientRect(control, &info.rect);
  info.hinst = GetModuleHandleW(nullptr);
  info.lpszText = const_cast<wchar_t*>(text);
  SendMessageW(tips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
}

void InitControls(HWND dialog) {
  mainControls.startKey = GetDlgItem(dialog, IDC_START_KEY);
  mainControls.endKey = GetDlgItem(dialog, IDC_END_KEY);
  mainControls.leftMethod = GetDlgItem(dialog, IDC_LEFT_METHOD);
  mainControls.rightMethod = GetDlgItem(dialog, IDC_RIGHT_METHOD);
  mainControls.leftInterval = GetDlgItem(dialog, IDC_LEFT_INTERVAL);
  mainControls.rightInterval = GetDlgItem(dialog, IDC_RIGHT_INTERVAL);
  mainControls.save = GetDlgItem(dialog, IDC_SAVE);
  mainControls.tray = GetDlgItem(dialog, IDC_TRAY);
  mainControls.exit = GetDlgItem(dialog, IDC_EXIT);

  FillCombo(mainControls.startKey, HotKeyChoices, HotKeyChoiceCount);
  FillCombo(mainControls.endKey, HotKeyChoices, HotKeyChoiceCount);
  FillCombo(mainControls.leftMethod, ClickMethodLabels, ClickMethodCount);
  FillCombo(mainControls.rightMethod, ClickMethodLabels, ClickMethodCount);

  // A value outside a list leaves that box without a selection; the start-up
  // check has already told the user.
  SendMessageW(mainControls.startKey, CB_SETCURSEL, static_cast<WPARAM>(ClickSettings.StartKey.load()), 0);
  SendMessageW(mainControls.endKey, CB_SETCURSEL, static_cast<WPARAM>(ClickSettings.EndKey.load()), 0);
  SendMessageW(mainControls.leftMethod, CB_SETCURSEL, static_cast<WPARAM>(ClickSettings.LeftKey.load()), 0);
  SendMessageW(mainControls.rightMethod, CB_SETCURSEL, static_cast<WPARAM>(ClickSettings.RightKey.load()), 0);

  SetIntervalText(mainControls.leftInterval, ClickSettings.LeftInterval);
  SetIntervalText(mainControls.rightInterval, ClickSettings.RightInterval);
}

INT_PTR OnDpiChanged(HWND dialog, WPARAM wParam, const RECT* suggested) {
  // The system suggests a rectangle at the new scale that keeps the window where
  // the user put it; taking it is what keeps the window from jumping between
  // monitors or resizing itself again.
  if (suggested) {
    SetWindowPos(dialog, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                 suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  SetWindowIcons(dialog, HIWORD(wParam));
  // The dialog manager (per-monitor version 2) rescales the template's controls,
  // the strip's placeholder among them, when this message is left to it; the strip
  // follows the placeholder once that is done.
  PostMessageW(dialog, WM_BANNER_LAYOUT, HIWORD(wParam), 0);
  return 0;
}

// Only what the window needs to appear: the rest waits for WM_WINDOWSHOWN, which
// comes before any input to the window.
BOOL OnInitDialog(HWND dialog) {
  SetWindowIcons(dialog, WindowDpi(dialog));

  LoadSettings();
  CheckSettingsAtStartup(dialog);

  SetUpBanner(dialog);
  InitControls(dialog);
  PostMessageW(dialog, WM_WINDOWSHOWN, 0, 0);
  return TRUE;
}

// The online extras first, as soon as can be, then what only a later use needs.
void OnWindowShown(HWND dialog) {
  // Painted first: what follows starts threads and loads libraries.
  UpdateWindow(dialog);
  // Nobody waits for the download: it reports back with WM_ONLINEMENU.
  HANDLE thread = CreateThread(nullptr, 0, OnlineMenuThread, dialog, 0, nullptr);
  if (thread != nullptr) CloseHandle(thread);
  StartBannerProbe(dialog);
  PrepareTrayIcon(dialog);
  HWND tips = CreateToolTips(dialog);
  for (const ToolTipEntry& entry : ToolTips) AddToolTip(tips, mainControls.*entry.control, entry.text);
}

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  // A registered message has no fixed number, so it cannot be a case below.
  if (IsTaskbarCreatedMessage(message)) return OnTaskbarCreated();
  switch (message) {
    case WM_DRAWITEM:
      return DrawBannerBitmap(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    case WM_INITDIALOG:
      return OnInitDialog(dialog);
    case WM_WINDOWSHOWN:
      OnWindowShown(dialog);
      return TRUE;
    case WM_COMMAND:
      return OnCommand(dialog, wParam);
    case WM_HOTKEY:
      ReportPointsOffScreen(dialog, OnHotKey(wParam));
      return TRUE;
    case WM_SIDEBUTTON:
      ReportPointsOffScreen(dialog, OnSideButton(wParam, lParam));
      return TRUE;
    case WM_HANDMOVED:
      StopClicking();
      return TRUE;
    case WM_TRAYICON:
      return OnTrayIcon(dialog, lParam);
    case WM_ONLINEMENU:
      return OnOnlineMenuXml(dialog, reinterpret_cast<const char*>(lParam));
    case WM_BANNER_WEB:
      if (!bannerChosen) {
        bannerChosen = true;
        ShowWebBanner(dialog);
      }
      return 1;
    case WM_BANNER_LINK:
      if (!bannerChosen) {
        bannerChosen = true;
        ShowFallbackLink(dialog);
      }
      return 1;
    case WM_DPICHANGED:
      return OnDpiChanged(dialog, wParam, reinterpret_cast<const RECT*>(lParam));
    case WM_BANNER_LAYOUT:
      LayOutBanner(dialog, static_cast<UINT>(wParam));
      return 1;
    case WM_BANNER_CHECKED:
      OnBannerChecked(dialog, wParam != 0);
      return 1;
    default:
      return 0;
  }
}
