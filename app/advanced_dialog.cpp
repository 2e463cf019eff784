#include "app/advanced_dialog.h"

#include <windowsx.h>

#include <string>

#include "app/dialog_input.h"
#include "app/main_dialog.h"
#include "app/save_flow.h"
#include "clicker/advanced_settings.h"
#include "clicker/click_settings.h"
#include "clicker/hotkeys.h"
#include "clicker/settings.h"
#include "common/text.h"
#include "res/resource.h"

namespace {

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
    {IDC_LEFT_PICK,
     L"窗口暂时隐藏，在屏幕任意位置单击鼠标左键即取得左键的固定位置；按 Esc 或单击右键取消，30 秒不单击也取消。"},
    {IDC_RIGHT_HOLD, L"右键每次按下后保持的毫秒数，1 到 10000，默认 50。"},
    {IDC_RIGHT_COUNT, L"每次开始后右键点击的次数，点完自动停止；双击算一次；0 表示不限。"},
    {IDC_RIGHT_JITTER, L"右键每次间隔在设定值上下随机浮动的百分比，0 到 50；0 表示不浮动。"},
    {IDC_RIGHT_POINT_X, L"右键固定点击位置的横坐标（屏幕像素）；横、纵坐标都留空时在鼠标当前位置点击。"},
    {IDC_RIGHT_POINT_Y, L"右键固定点击位置的纵坐标（屏幕像素）；横、纵坐标都留空时在鼠标当前位置点击。"},
    {IDC_RIGHT_PICK,
     L"窗口暂时隐藏，在屏幕任意位置单击鼠标左键即取得右键的固定位置；按 Esc 或单击右键取消，30 秒不单击也取消。"},
    {IDC_HOLD_TO_CLICK, L"勾选后，按住开始热键时连点，松开即停止；结束热键仍可停止。"},
    {IDC_START_TRIGGER,
     L"另一个开始连点的热键：单击这里，再按下组合键（如 Ctrl+Alt+K）或鼠标侧键；Esc 取消，Backspace 清除。"},
    {IDC_STOP_TRIGGER,
     L"另一个结束连点的热键：单击这里，再按下组合键或鼠标侧键；与开始相同时，同一个键开始和结束。Esc 取消，Backspace "
     L"清除。"},
    {IDC_STOP_ON_MOVE,
     L"连点或运行序列时，手动把鼠标移开这么多像素即停止一切连点，如同按下结束热键；程序自己移动鼠标不算。1 到 "
     L"1000，0 表示不停止。"},
    {IDOK, L"检查并保存高级设置。"},
    {IDCANCEL, L"不保存，关闭窗口。"},
};

// EndDialog's result when the values were stored but the file could not be written.
constexpr INT_PTR WriteFailed = 100;

const wchar_t ErrorCaption[] = L"高级设置错误";
// The button whose point the pick in progress gives: the next left click anywhere.
const ButtonFields* pickButton = nullptr;
// The capture in progress: the next key with its modifiers, or side button, anywhere
// becomes the field's trigger. Until then no key reaches a window or a hot-key, the
// program's own included. 0: none.
int captureField = 0;
// What the two fields show, and "确定" stores: the start and the stop trigger.
Trigger fieldTriggers[2];

void BeginPick(HWND dialog, const ButtonFields& button) {
  if (pickButton != nullptr || captureField != 0) return;
  if (BeginDialogSession(dialog, InputSessionKind::Pick, ErrorCaption)) pickButton = &button;
}

void EndPick(HWND dialog, WPARAM end, LPARAM point) {
  // An answer posted before an earlier one ended the pick finds none.
  if (pickButton == nullptr) return;
  const ButtonFields& button = *pickButton;
  pickButton = nullptr;
  EndDialogSession(dialog);
  if (end == SessionTaken) {
    SetDlgItemInt(dialog, button.x, static_cast<UINT>(GET_X_LPARAM(point)), TRUE);
    SetDlgItemInt(dialog, button.y, static_cast<UINT>(GET_Y_LPARAM(point)), TRUE);
  }
  SetFocus(GetDlgItem(dialog, button.pick));
}

Trigger& FieldTrigger(int field) { return fieldTriggers[field == IDC_START_TRIGGER ? 0 : 1]; }

void ShowTrigger(HWND dialog, int field) {
  wchar_t text[TriggerTextCapacity];
  FormatTrigger(FieldTrigger(field), text);
  SetDlgItemTextW(dialog, field, text[0] != L'\0' ? text : L"（无）");
}

void BeginCapture(HWND dialog, int field) {
  if (pickButton != nullptr || captureField != 0) return;
  if (!BeginDialogSession(dialog, InputSessionKind::Capture, ErrorCaption)) return;
  captureField = field;
  SetDlgItemTextW(dialog, field, L"请按组合键或鼠标侧键");
}

void EndCapture(HWND dialog, WPARAM end, LPARAM taken) {
  if (captureField == 0) return;
  EndDialogSession(dialog);
  const int field = captureField;
  captureField = 0;
  if (end == SessionCleared) FieldTrigger(field) = Trigger{};
  if (end == SessionTaken) FieldTrigger(field) = Trigger{HIWORD(taken), LOWORD(taken)};
  ShowTrigger(dialog, field);
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
        return Refuse(dialog, number.id, name + number.field, AdvancedKeyAllowed[number.key], ErrorCaption);
      }
    }
    const std::wstring x = TextOf(dialog, button.x), y = TextOf(dialog, button.y);
    ClickPoint& point = button.holdKey == LeftHoldKey ? values.left.point : values.right.point;
    point = ClickPoint{};
    if (IsBlank(x.c_str()) && IsBlank(y.c_str())) continue;
    point.set = true;
    if (!ParseCoordinate(x.c_str(), point.x))
      return Refuse(dialog, button.x, name + L"固定位置横坐标", CoordinateAllowed, ErrorCaption);
    if (!ParseCoordinate(y.c_str(), point.y))
      return Refuse(dialog, button.y, name + L"固定位置纵坐标", CoordinateAllowed, ErrorCaption);
  }
  if (!ParseAdvancedKey(StopOnMouseMoveKey, TextOf(dialog, IDC_STOP_ON_MOVE).c_str(), values)) {
    return Refuse(dialog, IDC_STOP_ON_MOVE, L"手动移动鼠标停止", AdvancedKeyAllowed[StopOnMouseMoveKey], ErrorCaption);
  }
  values.holdToClick = IsDlgButtonChecked(dialog, IDC_HOLD_TO_CLICK) == BST_CHECKED ? 1 : 0;
  values.startTrigger = fieldTriggers[0];
  values.stopTrigger = fieldTriggers[1];
  if (!StartTriggerHoldable(values)) {
    return Refuse(dialog, IDC_START_TRIGGER, L"开始连点热键",
                  L"勾选“按住开始热键时连点”时，Pause 以外的组合键或鼠标侧键（Pause 键按下即松开，无法按住）",
                  ErrorCaption);
  }
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
  SetNumber(dialog, IDC_STOP_ON_MOVE, values.stopOnMouseMove);
  SendDlgItemMessageW(dialog, IDC_STOP_ON_MOVE, EM_LIMITTEXT, 12, 0);
  CheckDlgButton(dialog, IDC_HOLD_TO_CLICK, values.holdToClick == 1 ? BST_CHECKED : BST_UNCHECKED);
  fieldTriggers[0] = values.startTrigger;
  fieldTriggers[1] = values.stopTrigger;
  ShowTrigger(dialog, IDC_START_TRIGGER);
  ShowTrigger(dialog, IDC_STOP_TRIGGER);
  HWND tips = CreateToolTips(dialog);
  for (const ToolTipText& tip : ToolTips) AddToolTip(tips, GetDlgItem(dialog, tip.id), tip.text);
  return TRUE;
}

void OnAdvancedOk(HWND dialog) {
  AdvancedValues values;
  if (!ReadFields(dialog, values)) return;
  // Running click threads take the new values from their next cycle, also when the
  // file cannot be written, as after a save.
  Store(AdvancedSettings, values);
  EndDialog(dialog, SaveAdvancedSettings(values) ? IDOK : WriteFailed);
}

INT_PTR CALLBACK AdvancedDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return OnInitAdvanced(dialog);
    case WM_POINTPICKED:
      EndPick(dialog, wParam, lParam);
      return TRUE;
    case WM_TIMER:
      if (wParam == PickTimerId) EndPick(dialog, SessionCancelled, 0);
      return TRUE;
    case WM_TRIGGERCAPTURED:
      EndCapture(dialog, wParam, lParam);
      return TRUE;
    case WM_DESTROY:
      EndPick(dialog, SessionCancelled, 0);
      EndCapture(dialog, SessionCancelled, 0);
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
  const INT_PTR result =
      DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_ADVANCED), dialog, AdvancedDialogProc, 0);
  if (result != IDOK && result != WriteFailed) return 1;
  // The triggers stored work at once, before anything is said.
  const std::wstring failures = RegisterTriggers(dialog);
  if (result == WriteFailed) ShowWriteFailure(dialog);
  ReportTriggerFailures(dialog, failures);
  return 1;
}
