#include "app/dialog_input.h"

#include "clicker/input_hooks.h"

const wchar_t CoordinateAllowed[] = L"-32768 到 32767 之间的整数；横、纵坐标同时留空表示在鼠标当前位置点击";

namespace {

// A pick that never gets its click gives the windows back after this long: nothing
// else could, with both of them hidden and the tray icon not there.
constexpr UINT PickTimeLimitMs = 30000;

// The pick in progress, if any.
struct Pick {
  bool running = false;
  bool ownerShown = false;  // as the owner was when the pick began
} pick;

}  // namespace

std::wstring TextOf(HWND dialog, int id) {
  wchar_t text[64] = {};
  GetDlgItemTextW(dialog, id, text, 64);
  return text;
}

bool Refuse(HWND dialog, int id, const std::wstring& field, const wchar_t* allowed, const wchar_t* caption) {
  const std::wstring text = L"“" + field + L"”的值不正确。\n允许的值：" + allowed + L"。";
  MessageBoxW(dialog, text.c_str(), caption, MB_OK | MB_ICONWARNING | MB_TOPMOST);
  HWND control = GetDlgItem(dialog, id);
  SetFocus(control);
  SendMessageW(control, EM_SETSEL, 0, -1);
  return false;
}

bool BeginDialogSession(HWND dialog, InputSessionKind kind, const wchar_t* caption) {
  // Without the hooks a click or Escape would be lost on the hidden dialog.
  if (!BeginInputSession(dialog, kind)) {
    MessageBoxW(dialog, L"系统拒绝监视鼠标和键盘，现在无法拾取位置或设置热键。请稍后再试。", caption,
                MB_OK | MB_ICONWARNING | MB_TOPMOST);
    return false;
  }
  if (kind != InputSessionKind::Pick) return true;
  HWND owner = GetWindow(dialog, GW_OWNER);
  pick = Pick{true, IsWindowVisible(owner) != FALSE};
  SetTimer(dialog, PickTimerId, PickTimeLimitMs, nullptr);
  // Both windows step aside, so that the point can lie under either of them.
  ShowWindow(dialog, SW_HIDE);
  ShowWindow(owner, SW_HIDE);
  return true;
}

void EndDialogSession(HWND dialog) {
  EndInputSession();
  if (!pick.running) return;
  KillTimer(dialog, PickTimerId);
  if (pick.ownerShown) ShowWindow(GetWindow(dialog, GW_OWNER), SW_SHOW);
  pick = Pick{};
  ShowWindow(dialog, SW_SHOW);
  SetForegroundWindow(dialog);
}
