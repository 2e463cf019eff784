#include "app/advanced_dialog.h"

#include <windowsx.h>

#include <string>

#include "app/main_dialog.h"
#include "clicker/advanced_flow.h"
#include "clicker/advanced_settings.h"
#include "clicker/click_settings.h"
#include "clicker/hotkeys.h"
#include "clicker/save_flow.h"
#include "res/resource.h"

namespace {

// Sent to the dialog by the pick's hooks: wParam 1 with the point in lParam, or 0
// when Escape cancelled.
constexpr UINT WM_POINTPICKED = WM_APP + 1;
// Sent to the dialog by the capture's hooks: wParam how it ended, lParam the trigger
// taken as MAKELPARAM(its key, its modifiers).
constexpr UINT WM_TRIGGERCAPTURED = WM_APP + 2;
enum CaptureEnd : WPARAM { CaptureCancelled, CaptureCleared, CaptureTaken };

struct ButtonFields {
  const wchar_t* name;
  int hold, count, jitter, x, y, pick;
  AdvancedKey holdKey, countKey, jitterKey;
};
const ButtonFields Buttons[2] = {
    {L"左键", IDC_LEFT_HOLD, IDC_LEFT_COUNT, IDC_LEFT_JITTER, IDC_LEFT_POINT_X, IDC_LEFT_POINT_Y, IDC_LEFT_PICK,
     LeftHoldKey, LeftCountKey, LeftJitterKey},
    {L"右键", IDC_RIGHT_HOLD, IDC_RIGHT_COUNT, IDC_RIGHT_JITTER, IDC_RIGHT_POINT_X, IDC_RIGHT_POINT_Y, IDC_RIGHT_PICK,
     RightHoldKey, RightCountKey, RightJitterKey},
};

const wchar_t CoordinateAllowed[] = L"-32768 到 32767 之间的整数；横、纵坐标同时留空表示在鼠标当前位置点击";

struct ToolTipText {
  int id;
  const wchar_t* text;
};
const ToolTipText ToolTips[] = {
    {IDC_LEFT_HOLD, L"左键每次按下后保持的毫秒数，1 到 10000，默认 50。"},
    {IDC_LEFT_COUNT, L"每次开始后左键点击的次数，点完自动停止；双击算一次；0 表示不限。"},
    {IDC_LEFT_JITTER, L"左键每次间隔在设定值上下随机浮动的百分比，0 到 50；0 表示不浮动。"},
    {IDC_LEFT_POINT_X, L"左键固定点击位置的横坐标（屏幕像素）；横、纵坐标都留空时在鼠标当前位置点击。"},
    {IDC_LEFT_POINT_Y, L"左键固定点击位置的纵坐标（屏幕像素）；横、纵坐标都留空时在鼠标当前位置点击。"},
    {IDC_LEFT_PICK, L"窗口暂时隐藏，在屏幕任意位置单击鼠标左键即取得左键的固定位置；按 Esc 取消。"},
    {IDC_RIGHT_HOLD, L"右键每次按下后保持的毫秒数，1 到 10000，默认 50。"},
    {IDC_RIGHT_COUNT, L"每次开始后右键点击的次数，点完自动停止；双击算一次；0 表示不限。"},
    {IDC_RIGHT_JITTER, L"右键每次间隔在设定值上下随机浮动的百分比，0 到 50；0 表示不浮动。"},
    {IDC_RIGHT_POINT_X, L"右键固定点击位置的横坐标（屏幕像素）；横、纵坐标都留空时在鼠标当前位置点击。"},
    {IDC_RIGHT_POINT_Y, L"右键固定点击位置的纵坐标（屏幕像素）；横、纵坐标都留空时在鼠标当前位置点击。"},
    {IDC_RIGHT_PICK, L"窗口暂时隐藏，在屏幕任意位置单击鼠标左键即取得右键的固定位置；按 Esc 取消。"},
    {IDC_HOLD_TO_CLICK, L"勾选后，按住开始热键时连点，松开即停止；结束热键仍可停止。"},
    {IDC_START_TRIGGER,
     L"另一个开始连点的热键：单击这里，再按下组合键（如 Ctrl+Alt+K）或鼠标侧键；Esc 取消，Backspace 清除。"},
    {IDC_STOP_TRIGGER,
     L"另一个结束连点的热键：单击这里，再按下组合键或鼠标侧键；与开始相同时，同一个键开始和结束。Esc 取消，Backspace "
     L"清除。"},
    {IDOK, L"检查并保存高级设置。"},
    {IDCANCEL, L"不保存，关闭窗口。"},
};

// The low-level hooks of a pick or a capture, both or neither: they see every mouse
// button and key of the session.
struct InputHooks {
  HHOOK mouse = nullptr;
  HHOOK keyboard = nullptr;
  bool Install(HOOKPROC onMouse, HOOKPROC onKeyboard) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    mouse = SetWindowsHookExW(WH_MOUSE_LL, onMouse, instance, 0);
    keyboard = SetWindowsHookExW(WH_KEYBOARD_LL, onKeyboard, instance, 0);
    if (mouse != nullptr && keyboard != nullptr) return true;
    Remove();
    return false;
  }
  void Remove() {
    if (mouse != nullptr) UnhookWindowsHookEx(mouse);
    if (keyboard != nullptr) UnhookWindowsHookEx(keyboard);
    mouse = keyboard = nullptr;
  }
};

// The pick in progress: the next left click anywhere gives the point.
struct Pick {
  HWND dialog = nullptr;
  const ButtonFields* button = nullptr;
  InputHooks hooks;
  bool pressed = false;
  POINT point = {};
} pick;

// The capture in progress: the next key with its modifiers, or side button, anywhere
// becomes the field's trigger. Until then no key reaches a window or a hot-key, the
// program's own included.
struct Capture {
  HWND dialog = nullptr;
  int field = 0;
  InputHooks hooks;
  uint32_t modifiers = 0;  // held, as the hook has seen them go down and up
  // The answer is given by the press of a key or button and sent at its release, so
  // that the release and a held key's repeats too stay with the capture: no window
  // sees half a press, and no hot-key a repeat.
  UINT answerKey = 0;
  WPARAM answer = CaptureCancelled;
  LPARAM taken = 0;
} capture;
// What the two fields show, and "确定" stores: the start and the stop trigger.
Trigger fieldTriggers[2];

LRESULT CALLBACK PickMouseHook(int code, WPARAM message, LPARAM data) {
  // Clicks that programs inject, this one's own click threads among them, are no
  // answer from the user.
  if (code == HC_ACTION && pick.dialog != nullptr &&
      (reinterpret_cast<const MSLLHOOKSTRUCT*>(data)->flags & LLMHF_INJECTED) == 0) {
    // The click is the user's answer, not meant for the window under it: both its
    // press and its release are kept from it. The position is the cursor's, in the
    // coordinates that putting the cursor there later uses.
    if (message == WM_LBUTTONDOWN) {
      GetCursorPos(&pick.point);
      pick.pressed = true;
      return 1;
    }
    if (message == WM_LBUTTONUP && pick.pressed) {
      pick.pressed = false;
      PostMessageW(pick.dialog, WM_POINTPICKED, 1, MAKELPARAM(pick.point.x, pick.point.y));
      return 1;
    }
  }
  return CallNextHookEx(nullptr, code, message, data);
}

LRESULT CALLBACK PickKeyboardHook(int code, WPARAM message, LPARAM data) {
  if (code == HC_ACTION && pick.dialog != nullptr && !pick.pressed &&
      reinterpret_cast<const KBDLLHOOKSTRUCT*>(data)->vkCode == VK_ESCAPE) {
    if (message == WM_KEYDOWN) PostMessageW(pick.dialog, WM_POINTPICKED, 0, 0);
    return 1;
  }
  return CallNextHookEx(nullptr, code, message, data);
}

void BeginPick(HWND dialog, const ButtonFields& button) {
  // Without both hooks a click or Escape would be lost on the hidden dialog.
  if (pick.dialog != nullptr || capture.dialog != nullptr || !pick.hooks.Install(PickMouseHook, PickKeyboardHook)) {
    return;
  }
  pick.dialog = dialog;
  pick.button = &button;
  // Both windows step aside, so that the point can lie under either of them.
  ShowWindow(dialog, SW_HIDE);
  ShowWindow(GetWindow(dialog, GW_OWNER), SW_HIDE);
}

void EndPick(HWND dialog, bool picked, LPARAM point) {
  // An Escape and a click in quick succession both post an answer; the first one ends the pick.
  if (pick.button == nullptr) return;
  pick.hooks.Remove();
  const ButtonFields& button = *pick.button;
  pick = Pick{};
  ShowWindow(GetWindow(dialog, GW_OWNER), SW_SHOW);
  ShowWindow(dialog, SW_SHOW);
  SetForegroundWindow(dialog);
  if (picked) {
    SetDlgItemInt(dialog, button.x, static_cast<UINT>(GET_X_LPARAM(point)), TRUE);
    SetDlgItemInt(dialog, button.y, static_cast<UINT>(GET_Y_LPARAM(point)), TRUE);
  }
  SetFocus(GetDlgItem(dialog, button.pick));
}

void Answer(UINT key, WPARAM answer, LPARAM taken) {
  if (capture.answerKey != 0) return;
  capture.answerKey = key;
  capture.answer = answer;
  capture.taken = taken;
}

void Released(UINT key) {
  if (key == capture.answerKey) PostMessageW(capture.dialog, WM_TRIGGERCAPTURED, capture.answer, capture.taken);
}

LRESULT CALLBACK CaptureMouseHook(int code, WPARAM message, LPARAM data) {
  const auto* event = reinterpret_cast<const MSLLHOOKSTRUCT*>(data);
  // The program's own click threads inject clicks; they are no answer from the user.
  if (code == HC_ACTION && capture.dialog != nullptr && (event->flags & LLMHF_INJECTED) == 0) {
    if (message == WM_XBUTTONDOWN || message == WM_XBUTTONUP) {
      const UINT key = HIWORD(event->mouseData) == XBUTTON1 ? XButton1Key : XButton2Key;
      if (message == WM_XBUTTONDOWN) {
        Answer(key, CaptureTaken, MAKELPARAM(key, 0));
      } else {
        Released(key);
      }
      return 1;
    }
    // Any other button ends the capture and goes on to its window: a click on "确定",
    // say, is meant as one.
    if (message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN || message == WM_MBUTTONDOWN) {
      PostMessageW(capture.dialog, WM_TRIGGERCAPTURED, CaptureCancelled, 0);
    }
  }
  return CallNextHookEx(nullptr, code, message, data);
}

uint32_t ModifierOf(DWORD key) {
  switch (key) {
    case VK_CONTROL:
    case VK_LCONTROL:
    case VK_RCONTROL:
      return TriggerCtrl;
    case VK_MENU:
    case VK_LMENU:
    case VK_RMENU:
      return TriggerAlt;
    case VK_SHIFT:
    case VK_LSHIFT:
    case VK_RSHIFT:
      return TriggerShift;
    case VK_LWIN:
    case VK_RWIN:
      return TriggerWin;
    default:
      return 0;
  }
}

LRESULT CALLBACK CaptureKeyboardHook(int code, WPARAM message, LPARAM data) {
  if (code != HC_ACTION || capture.dialog == nullptr) return CallNextHookEx(nullptr, code, message, data);
  const DWORD key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(data)->vkCode;
  const bool down = message == WM_KEYDOWN || message == WM_SYSKEYDOWN;
  if (const uint32_t modifier = ModifierOf(key)) {
    capture.modifiers = down ? capture.modifiers | modifier : capture.modifiers & ~modifier;
  } else if (!down) {
    Released(key);
  } else if (key == VK_ESCAPE || key == VK_BACK) {
    Answer(key, key == VK_ESCAPE ? CaptureCancelled : CaptureCleared, 0);
  } else {
    // Keys that cannot be a trigger (Tab, the arrows) are passed over, and the capture
    // waits on.
    const Trigger trigger = TriggerOfKey(capture.modifiers, key);
    if (trigger.key != 0) Answer(key, CaptureTaken, MAKELPARAM(trigger.key, trigger.modifiers));
  }
  return 1;
}

Trigger& FieldTrigger(int field) { return fieldTriggers[field == IDC_START_TRIGGER ? 0 : 1]; }

void ShowTrigger(HWND dialog, int field) {
  wchar_t text[TriggerTextCapacity];
  FormatTrigger(FieldTrigger(field), text);
  SetDlgItemTextW(dialog, field, text[0] != L'\0' ? text : L"（无）");
}

void BeginCapture(HWND dialog, int field) {
  if (pick.dialog != nullptr || capture.dialog != nullptr) return;
  capture = Capture{};
  if (!capture.hooks.Install(CaptureMouseHook, CaptureKeyboardHook)) return;
  capture.dialog = dialog;
  capture.field = field;
  SetDlgItemTextW(dialog, field, L"请按组合键或鼠标侧键");
}

void EndCapture(HWND dialog, WPARAM end, LPARAM taken) {
  // A key and a click in quick succession both post an answer; the first one ends it.
  if (capture.dialog == nullptr) return;
  capture.hooks.Remove();
  const int field = capture.field;
  capture = Capture{};
  if (end == CaptureCleared) FieldTrigger(field) = Trigger{};
  if (end == CaptureTaken) FieldTrigger(field) = Trigger{HIWORD(taken), LOWORD(taken)};
  ShowTrigger(dialog, field);
}

std::wstring TextOf(HWND dialog, int id) {
  wchar_t text[64] = {};
  GetDlgItemTextW(dialog, id, text, 64);
  return text;
}

bool IsBlank(const std::wstring& text) { return text.find_first_not_of(L" \t\x3000") == std::wstring::npos; }

// Names the field and what it may hold, and puts the focus on it.
bool Refuse(HWND dialog, int id, const std::wstring& field, const wchar_t* allowed) {
  const std::wstring text = L"“" + field + L"”的值不正确。\n允许的值：" + allowed + L"。";
  MessageBoxW(dialog, text.c_str(), L"高级设置错误", MB_OK | MB_ICONWARNING | MB_TOPMOST);
  HWND control = GetDlgItem(dialog, id);
  SetFocus(control);
  SendMessageW(control, EM_SETSEL, 0, -1);
  return false;
}

// Every field in the dialog's order; the first bad one is refused.
bool ReadFields(HWND dialog, AdvancedValues& values) {
  for (const ButtonFields& button : Buttons) {
    const std::wstring name = button.name;
    const struct {
      int id;
      AdvancedKey key;
      const wchar_t* field;
    } numbers[] = {{button.hold, button.holdKey, L"按住时长"},
                   {button.count, button.countKey, L"点击次数"},
                   {button.jitter, button.jitterKey, L"随机范围"}};
    for (const auto& number : numbers) {
      if (!ParseAdvancedKey(number.key, TextOf(dialog, number.id).c_str(), values)) {
        return Refuse(dialog, number.id, name + number.field, AdvancedKeyAllowed[number.key]);
      }
    }
    const std::wstring x = TextOf(dialog, button.x), y = TextOf(dialog, button.y);
    ClickPoint& point = button.holdKey == LeftHoldKey ? values.left.point : values.right.point;
    point = ClickPoint{};
    if (IsBlank(x) && IsBlank(y)) continue;
    point.set = true;
    if (!ParseCoordinate(x.c_str(), point.x))
      return Refuse(dialog, button.x, name + L"固定位置横坐标", CoordinateAllowed);
    if (!ParseCoordinate(y.c_str(), point.y))
      return Refuse(dialog, button.y, name + L"固定位置纵坐标", CoordinateAllowed);
  }
  values.holdToClick = IsDlgButtonChecked(dialog, IDC_HOLD_TO_CLICK) == BST_CHECKED ? 1 : 0;
  values.startTrigger = fieldTriggers[0];
  values.stopTrigger = fieldTriggers[1];
  return true;
}

void SetNumber(HWND dialog, int id, int32_t value) {
  wchar_t text[20];
  FormatDecimal(value, text);
  SetDlgItemTextW(dialog, id, text);
}

BOOL OnInitAdvanced(HWND dialog) {
  const AdvancedValues values = SnapshotOf(AdvancedSettings);
  for (const ButtonFields& button : Buttons) {
    const ButtonTuning& tuning = button.holdKey == LeftHoldKey ? values.left : values.right;
    SetNumber(dialog, button.hold, tuning.hold);
    SetNumber(dialog, button.count, tuning.count);
    SetNumber(dialog, button.jitter, tuning.jitter);
    if (tuning.point.set) {
      SetNumber(dialog, button.x, tuning.point.x);
      SetNumber(dialog, button.y, tuning.point.y);
    }
    for (int id : {button.hold, button.count, button.jitter, button.x, button.y}) {
      SendDlgItemMessageW(dialog, id, EM_LIMITTEXT, 12, 0);
    }
  }
  CheckDlgButton(dialog, IDC_HOLD_TO_CLICK, values.holdToClick == 1 ? BST_CHECKED : BST_UNCHECKED);
  fieldTriggers[0] = values.startTrigger;
  fieldTriggers[1] = values.stopTrigger;
  ShowTrigger(dialog, IDC_START_TRIGGER);
  ShowTrigger(dialog, IDC_STOP_TRIGGER);
  for (const ToolTipText& tip : ToolTips) AddToolTip(GetDlgItem(dialog, tip.id), tip.text);
  return TRUE;
}

void OnAdvancedOk(HWND dialog) {
  AdvancedValues values;
  if (!ReadFields(dialog, values)) return;
  // Running click threads take the new values from their next cycle, also when the
  // file cannot be written, as after a save.
  Store(AdvancedSettings, values);
  if (!SaveAdvancedSettings(values)) ShowWriteFailure(dialog);
  EndDialog(dialog, IDOK);
}

INT_PTR CALLBACK AdvancedDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return OnInitAdvanced(dialog);
    case WM_POINTPICKED:
      EndPick(dialog, wParam == 1, lParam);
      return TRUE;
    case WM_TRIGGERCAPTURED:
      EndCapture(dialog, wParam, lParam);
      return TRUE;
    case WM_DESTROY:
      EndCapture(dialog, CaptureCancelled, 0);
      return FALSE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
          OnAdvancedOk(dialog);
          return TRUE;
        case IDCANCEL:
          EndDialog(dialog, IDCANCEL);
          return TRUE;
        case IDC_LEFT_PICK:
          BeginPick(dialog, Buttons[0]);
          return TRUE;
        case IDC_RIGHT_PICK:
          BeginPick(dialog, Buttons[1]);
          return TRUE;
        case IDC_START_TRIGGER:
        case IDC_STOP_TRIGGER:
          BeginCapture(dialog, LOWORD(wParam));
          return TRUE;
        default:
          return FALSE;
      }
    default:
      return FALSE;
  }
}

}  // namespace

INT_PTR OnAdvancedCommand(HWND dialog) {
  // The triggers stored work at once, once the dialog has gone.
  if (DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_ADVANCED), dialog, AdvancedDialogProc, 0) ==
      IDOK) {
    RegisterTriggers(dialog);
  }
  return 1;
}
