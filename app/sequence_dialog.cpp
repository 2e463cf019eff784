#include "app/sequence_dialog.h"

#include <windowsx.h>

#include <limits>
#include <string>

#include "app/dialog_input.h"
#include "app/main_dialog.h"
#include "app/save_flow.h"
#include "clicker/advanced_settings.h"
#include "clicker/click_engine.h"
#include "clicker/click_settings.h"
#include "clicker/sequence.h"
#include "clicker/settings.h"
#include "common/text.h"
#include "common/window_messages.h"
#include "res/resource.h"

namespace {

const wchar_t ErrorCaption[] = L"序列设置错误";

// By StepAction, as the action list shows them.
const wchar_t* const ActionTexts[StepActionCount] = {L"左键",     L"右键",     L"中键", L"左键双击",
                                                     L"右键双击", L"中键双击", L"按键"};

struct ToolTipText {
  int id;
  const wchar_t* text;
};
const ToolTipText ToolTips[] = {
    {IDC_SEQ_LIST, L"开始键按顺序运行的步骤；选中一步，可在下方修改、删除或移动它。"},
    {IDC_SEQ_ACTION, L"这一步做什么：点击或双击一个鼠标键，或者按下一个键或组合键。"},
    {IDC_SEQ_KEY, L"“按键”这一步按下的键：单击这里，再按下键或组合键（如 Ctrl+V）；Esc 取消，Backspace 清除。"},
    {IDC_SEQ_X, L"这一步点击位置的横坐标（屏幕像素）；横、纵坐标都留空时在鼠标当前位置。"},
    {IDC_SEQ_Y, L"这一步点击位置的纵坐标（屏幕像素）；横、纵坐标都留空时在鼠标当前位置。"},
    {IDC_SEQ_PICK,
     L"窗口暂时隐藏，在屏幕任意位置单击鼠标左键即取得这一步的位置；按 Esc 或单击右键取消，30 秒不单击也取消。"},
    {IDC_SEQ_PAUSE, L"上一步结束后（第一步：开始后）等待的毫秒数，0 到 3600000。"},
    {IDC_SEQ_ADD, L"把上面的步骤加在选中的一步之后（未选中时加在最后）；最多 100 步。"},
    {IDC_SEQ_CHANGE, L"用上面的内容替换选中的一步。"},
    {IDC_SEQ_REMOVE, L"删除选中的一步。"},
    {IDC_SEQ_UP, L"把选中的一步向前移一位。"},
    {IDC_SEQ_DOWN, L"把选中的一步向后移一位。"},
    {IDC_SEQ_REPEAT, L"每次开始后把全部步骤运行几遍，运行完自动停止；0 表示一直运行到按结束热键。"},
    {IDC_SEQ_SPREAD, L"有固定位置的步骤在该位置周围多少像素内随机点击，0 到 100；0 表示正好点在该位置。"},
    {IDC_SEQ_ENABLED, L"勾选后，开始热键运行这个序列，而不是主窗口设置的左、右键连点。"},
    {IDOK, L"检查并保存序列，立即生效。"},
    {IDCANCEL, L"不保存，关闭窗口。"},
};

const wchar_t PauseAllowed[] = L"0 到 3600000 之间的整数（毫秒）";
const wchar_t KeyAllowed[] = L"单击“按键”框后按下的键或组合键（如 Ctrl+V），鼠标侧键除外";
const wchar_t RepeatAllowed[] = L"0 到 2147483647 之间的整数（0 表示一直运行到停止）";
const wchar_t SpreadAllowed[] = L"0 到 100 之间的整数（像素）";

// EndDialog's result when the sequence was handed over but the file could not be written.
constexpr INT_PTR WriteFailed = 100;

// What the list shows, and "确定" keeps: copied in when the dialog opens.
SequenceValues edited;
// What the key field shows, and a key step takes.
Trigger fieldKey;
bool picking = false;
bool capturing = false;

int Selected(HWND dialog) { return static_cast<int>(SendDlgItemMessageW(dialog, IDC_SEQ_LIST, LB_GETCURSEL, 0, 0)); }

std::wstring LineOf(int index, const SequenceStep& step) {
  std::wstring line = std::to_wstring(index + 1) + L"\t" + ActionTexts[step.action];
  if (step.action == KeyStep) {
    wchar_t key[TriggerTextCapacity];
    FormatTrigger(step.key, key);
    line += std::wstring(L" ") + key;
  }
  line += L"\t";
  line += step.point.set ? std::to_wstring(step.point.x) + L", " + std::to_wstring(step.point.y) : L"当前位置";
  return line + L"\t" + std::to_wstring(step.pauseMs) + L" 毫秒";
}

void ShowKey(HWND dialog) {
  wchar_t text[TriggerTextCapacity];
  FormatTrigger(fieldKey, text);
  SetDlgItemTextW(dialog, IDC_SEQ_KEY, text[0] != L'\0' ? text : L"（无）");
}

// Only a key step has a key to take.
void OnActionChanged(HWND dialog) {
  const bool key = ComboBox_GetCurSel(GetDlgItem(dialog, IDC_SEQ_ACTION)) == KeyStep;
  EnableWindow(GetDlgItem(dialog, IDC_SEQ_KEY), key ? TRUE : FALSE);
}

// The buttons that act on the selected step work only while there is one.
void OnSelectionChanged(HWND dialog) {
  const int selected = Selected(dialog);
  EnableWindow(GetDlgItem(dialog, IDC_SEQ_CHANGE), selected >= 0);
  EnableWindow(GetDlgItem(dialog, IDC_SEQ_REMOVE), selected >= 0);
  EnableWindow(GetDlgItem(dialog, IDC_SEQ_UP), selected > 0);
  EnableWindow(GetDlgItem(dialog, IDC_SEQ_DOWN), selected >= 0 && selected + 1 < edited.stepCount);
  if (selected < 0) return;
  const SequenceStep& step = edited.steps[selected];
  ComboBox_SetCurSel(GetDlgItem(dialog, IDC_SEQ_ACTION), step.action);
  OnActionChanged(dialog);
  fieldKey = step.key;
  ShowKey(dialog);
  SetDlgItemTextW(dialog, IDC_SEQ_X, step.point.set ? std::to_wstring(step.point.x).c_str() : L"");
  SetDlgItemTextW(dialog, IDC_SEQ_Y, step.point.set ? std::to_wstring(step.point.y).c_str() : L"");
  SetDlgItemInt(dialog, IDC_SEQ_PAUSE, static_cast<UINT>(step.pauseMs), FALSE);
}

void ShowSteps(HWND dialog, int selected) {
  HWND list = GetDlgItem(dialog, IDC_SEQ_LIST);
  SendMessageW(list, LB_RESETCONTENT, 0, 0);
  for (int i = 0; i < edited.stepCount; ++i) {
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(LineOf(i, edited.steps[i]).c_str()));
  }
  SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(selected), 0);
  OnSelectionChanged(dialog);
}

// The step the editor shows; the first bad field is refused.
bool ReadStep(HWND dialog, SequenceStep& step) {
  step = SequenceStep{};
  step.action = static_cast<StepAction>(ComboBox_GetCurSel(GetDlgItem(dialog, IDC_SEQ_ACTION)));
  if (step.action == KeyStep) {
    if (fieldKey.key == 0) return Refuse(dialog, IDC_SEQ_KEY, L"按键", KeyAllowed, ErrorCaption);
    step.key = fieldKey;
  }
  const std::wstring x = TextOf(dialog, IDC_SEQ_X), y = TextOf(dialog, IDC_SEQ_Y);
  if (!IsBlank(x.c_str()) || !IsBlank(y.c_str())) {
    step.point.set = true;
    if (!ParseCoordinate(x.c_str(), step.point.x))
      return Refuse(dialog, IDC_SEQ_X, L"位置横坐标", CoordinateAllowed, ErrorCaption);
    if (!ParseCoordinate(y.c_str(), step.point.y))
      return Refuse(dialog, IDC_SEQ_Y, L"位置纵坐标", CoordinateAllowed, ErrorCaption);
  }
  if (!ParseDecimal(TextOf(dialog, IDC_SEQ_PAUSE).c_str(), 0, MaxStepPauseMs, step.pauseMs))
    return Refuse(dialog, IDC_SEQ_PAUSE, L"停顿", PauseAllowed, ErrorCaption);
  return true;
}

void OnAdd(HWND dialog) {
  if (edited.stepCount >= MaxSequenceSteps) {
    MessageBoxW(dialog, L"序列最多 100 步，无法再添加。", ErrorCaption, MB_OK | MB_ICONWARNING | MB_TOPMOST);
    return;
  }
  SequenceStep step;
  if (!ReadStep(dialog, step)) return;
  const int selected = Selected(dialog);
  const int at = selected >= 0 ? selected + 1 : edited.stepCount;
  for (int i = edited.stepCount; i > at; --i) edited.steps[i] = edited.steps[i - 1];
  edited.steps[at] = step;
  ++edited.stepCount;
  ShowSteps(dialog, at);
}

void OnChange(HWND dialog) {
  const int selected = Selected(dialog);
  if (selected < 0 || !ReadStep(dialog, edited.steps[selected])) return;
  ShowSteps(dialog, selected);
}

void OnRemove(HWND dialog) {
  const int selected = Selected(dialog);
  if (selected < 0) return;
  for (int i = selected; i + 1 < edited.stepCount; ++i) edited.steps[i] = edited.steps[i + 1];
  --edited.stepCount;
  ShowSteps(dialog, selected < edited.stepCount ? selected : edited.stepCount - 1);
}

// Swaps the selected step with its neighbour by; the selection goes with it.
void OnMove(HWND dialog, int by) {
  const int selected = Selected(dialog), other = selected + by;
  if (selected < 0 || other < 0 || other >= edited.stepCount) return;
  const SequenceStep step = edited.steps[selected];
  edited.steps[selected] = edited.steps[other];
  edited.steps[other] = step;
  ShowSteps(dialog, other);
}

void BeginPick(HWND dialog) {
  if (picking || capturing) return;
  picking = BeginDialogSession(dialog, InputSessionKind::Pick, ErrorCaption);
}

void EndPick(HWND dialog, WPARAM end, LPARAM point) {
  // An answer posted before an earlier one ended the pick finds none.
  if (!picking) return;
  picking = false;
  // The point is in its fields before the dialog is back: showing it can answer other
  // threads' messages, which then find the fields as they are.
  if (end == SessionTaken) {
    SetDlgItemInt(dialog, IDC_SEQ_X, static_cast<UINT>(GET_X_LPARAM(point)), TRUE);
    SetDlgItemInt(dialog, IDC_SEQ_Y, static_cast<UINT>(GET_Y_LPARAM(point)), TRUE);
  }
  EndDialogSession(dialog);
  SetFocus(GetDlgItem(dialog, IDC_SEQ_PICK));
}

void BeginCapture(HWND dialog) {
  if (picking || capturing) return;
  if (!BeginDialogSession(dialog, InputSessionKind::Capture, ErrorCaption)) return;
  capturing = true;
  SetDlgItemTextW(dialog, IDC_SEQ_KEY, L"请按键或组合键");
}

void EndCapture(HWND dialog, WPARAM end, LPARAM taken) {
  if (!capturing) return;
  capturing = false;
  EndDialogSession(dialog);
  const Trigger key{HIWORD(taken), LOWORD(taken)};
  if (end == SessionCleared) fieldKey = Trigger{};
  // A side button is no key to send: the field keeps what it had.
  if (end == SessionTaken && !IsSideButton(key)) fieldKey = key;
  ShowKey(dialog);
}

void SetNumber(HWND dialog, int id, int32_t value) {
  wchar_t text[20];
  FormatDecimal(value, text);
  SetDlgItemTextW(dialog, id, text);
}

BOOL OnInitSequence(HWND dialog) {
  edited = CurrentSequence();
  fieldKey = Trigger{};
  HWND actions = GetDlgItem(dialog, IDC_SEQ_ACTION);
  for (const wchar_t* text : ActionTexts) ComboBox_AddString(actions, text);
  ComboBox_SetCurSel(actions, LeftStep);
  OnActionChanged(dialog);
  ShowKey(dialog);
  SetDlgItemTextW(dialog, IDC_SEQ_PAUSE, L"0");
  // The columns' headers stand over these stops, in dialog units.
  const int stops[] = {22, 82, 162};
  SendDlgItemMessageW(dialog, IDC_SEQ_LIST, LB_SETTABSTOPS, 3, reinterpret_cast<LPARAM>(stops));
  ShowSteps(dialog, edited.stepCount > 0 ? 0 : -1);
  SetNumber(dialog, IDC_SEQ_REPEAT, edited.repeat);
  SetNumber(dialog, IDC_SEQ_SPREAD, edited.spread);
  CheckDlgButton(dialog, IDC_SEQ_ENABLED, edited.enabled == 1 ? BST_CHECKED : BST_UNCHECKED);
  for (int id : {IDC_SEQ_X, IDC_SEQ_Y, IDC_SEQ_PAUSE, IDC_SEQ_REPEAT, IDC_SEQ_SPREAD}) {
    SendDlgItemMessageW(dialog, id, EM_LIMITTEXT, 12, 0);
  }
  HWND tips = CreateToolTips(dialog);
  for (const ToolTipText& tip : ToolTips) AddToolTip(tips, GetDlgItem(dialog, tip.id), tip.text);
  return TRUE;
}

void OnSequenceOk(HWND dialog) {
  SequenceValues values = edited;
  if (!ParseDecimal(TextOf(dialog, IDC_SEQ_REPEAT).c_str(), 0, std::numeric_limits<int32_t>::max(), values.repeat))
    return static_cast<void>(Refuse(dialog, IDC_SEQ_REPEAT, L"重复", RepeatAllowed, ErrorCaption));
  if (!ParseDecimal(TextOf(dialog, IDC_SEQ_SPREAD).c_str(), 0, MaxSequenceSpread, values.spread))
    return static_cast<void>(Refuse(dialog, IDC_SEQ_SPREAD, L"随机偏移", SpreadAllowed, ErrorCaption));
  values.enabled = IsDlgButtonChecked(dialog, IDC_SEQ_ENABLED) == BST_CHECKED ? 1 : 0;
  // The next start runs it, also when the file cannot be written, as after a save.
  SetSequence(values);
  EndDialog(dialog, SaveSequence(values) ? IDOK : WriteFailed);
}

INT_PTR OnSequenceControl(HWND dialog, WPARAM wParam) {
  switch (LOWORD(wParam)) {
    case IDOK:
      OnSequenceOk(dialog);
      return TRUE;
    case IDCANCEL:
      EndDialog(dialog, IDCANCEL);
      return TRUE;
    case IDC_SEQ_LIST:
      if (HIWORD(wParam) == LBN_SELCHANGE) OnSelectionChanged(dialog);
      return TRUE;
    case IDC_SEQ_ACTION:
      if (HIWORD(wParam) == CBN_SELCHANGE) OnActionChanged(dialog);
      return TRUE;
    case IDC_SEQ_KEY:
      BeginCapture(dialog);
      return TRUE;
    case IDC_SEQ_PICK:
      BeginPick(dialog);
      return TRUE;
    case IDC_SEQ_ADD:
      OnAdd(dialog);
      return TRUE;
    case IDC_SEQ_CHANGE:
      OnChange(dialog);
      return TRUE;
    case IDC_SEQ_REMOVE:
      OnRemove(dialog);
      return TRUE;
    case IDC_SEQ_UP:
      OnMove(dialog, -1);
      return TRUE;
    case IDC_SEQ_DOWN:
      OnMove(dialog, 1);
      return TRUE;
    default:
      return FALSE;
  }
}

INT_PTR CALLBACK SequenceDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return OnInitSequence(dialog);
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
      return OnSequenceControl(dialog, wParam);
    default:
      return FALSE;
  }
}

}  // namespace

INT_PTR OnSequenceCommand(HWND dialog) {
  const INT_PTR result =
      DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_SEQUENCE), dialog, SequenceDialogProc, 0);
  if (result == WriteFailed) ShowWriteFailure(dialog);
  return 1;
}
