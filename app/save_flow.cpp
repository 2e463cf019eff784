#include "app/save_flow.h"

#include "app/main_dialog.h"
#include "clicker/advanced_settings.h"
#include "clicker/click_engine.h"
#include "clicker/click_rules.h"
#include "clicker/click_settings.h"
#include "clicker/hotkeys.h"
#include "clicker/settings.h"
#include "res/resource.h"

namespace {

constexpr UINT WarningStyle = MB_OK | MB_ICONWARNING | MB_TOPMOST;

const wchar_t SettingsErrorCaption[] = L"配置错误";
const wchar_t HotKeyErrorCaption[] = L"注册热键错误";

const wchar_t RuleText[] =
    L"您的设置不符合基本要求，请重新设置并保存。\n\n1、开始与结束热键不能相同。\n2、左、右键至少有一个启用。\n"
    L"3、启用的键间隔时间必须大于0。\n\n详情参见常见问题。";
const wchar_t WriteFailureText[] = L"写入配置文件失败，请检查您是否拥有“配置文件.ini”的写入权限。";
const wchar_t SaveHotKeyText[] =
    L"配置项已经保存成功，但注册开始与结束热键失败，连点操作将无法启动。\n"
    L"此问题是因为已运行的软件已注册了此热键。请重设热键并保存解决此问题。\n详情参见常见问题。";
const wchar_t StartupCheckText[] =
    L"配置文件不正确，连点操作将无法启动。\n此问题可能是由于手工修改配置文件造成的。请重新设置配置项并保存配置。\n"
    L"详情参见常见问题。";
const wchar_t StartupHotKeyText[] =
    L"注册开始与结束热键失败，连点操作将无法启动。\n"
    L"此问题是因为已运行的软件已注册了此热键。请重设热键并保存解决此问题。\n详情参见常见问题。";

int32_t Selection(HWND combo) { return static_cast<int32_t>(SendMessageW(combo, CB_GETCURSEL, 0, 0)); }

DialogReadings ReadControls(HWND dialog) {
  DialogReadings readings;
  readings.startKey = Selection(mainControls.startKey);
  readings.endKey = Selection(mainControls.endKey);
  readings.leftKey = Selection(mainControls.leftMethod);
  readings.rightKey = Selection(mainControls.rightMethod);
  // Text that is not a number reads as 0, which the rules then judge.
  readings.leftInterval = GetDlgItemInt(dialog, IDC_LEFT_INTERVAL, nullptr, FALSE);
  readings.rightInterval = GetDlgItemInt(dialog, IDC_RIGHT_INTERVAL, nullptr, FALSE);
  return readings;
}

}  // namespace

void ShowWriteFailure(HWND owner) { MessageBoxW(owner, WriteFailureText, L"写入配置出错", WarningStyle); }

void ReportTriggerFailures(HWND owner, const std::wstring& failures) {
  if (failures.empty()) return;
  const std::wstring text = L"以下热键无法使用，其余热键照常可用：\n" + failures +
                            L"\n\n请在“操作”菜单的“高级设置...”中重新设置，或关闭占用热键的程序。";
  MessageBoxW(owner, text.c_str(), HotKeyErrorCaption, WarningStyle);
}

void ReportPointsOffScreen(HWND owner, uint32_t offScreen) {
  if (offScreen == 0) return;
  const std::wstring buttons = offScreen == (OffScreenLeft | OffScreenRight) ? L"左键和右键"
                               : offScreen == OffScreenLeft                  ? L"左键"
                                                                             : L"右键";
  const std::wstring text =
      buttons + L"的固定位置不在任何显示器上，本次不连点。\n请在“高级设置...”中重新设置或拾取位置。";
  MessageBoxW(owner, text.c_str(), L"固定位置错误", WarningStyle);
}

INT_PTR OnSaveCommand(HWND dialog) {
  ClickValues values;
  if (!AcceptDialogReadings(ReadControls(dialog), values)) {
    MessageBoxW(dialog, RuleText, SettingsErrorCaption, WarningStyle);
    return TRUE;
  }
  // Running click threads take the new methods and intervals from their next cycle.
  Store(ClickSettings, values);
  if (!SaveSettings()) {
    // The keys registered before stay the start and stop keys.
    ShowWriteFailure(dialog);
    return TRUE;
  }
  // A trigger may hold a key of the new pair; the pair comes first. Everything is
  // registered before any message: the triggers work while it is shown.
  ReleaseTriggers(dialog);
  const bool registered = ReregisterClickHotKeys(dialog);
  // Without the pair no stop key is left, so clicking that runs now could not be ended.
  if (!registered) StopClicking();
  const std::wstring failures = RegisterTriggers(dialog);
  if (registered) {
    MessageBoxW(dialog, L"恭喜，保存成功！", L"保存成功", MB_OK | MB_ICONINFORMATION);
  } else {
    MessageBoxW(dialog, SaveHotKeyText, HotKeyErrorCaption, WarningStyle);
  }
  ReportTriggerFailures(dialog, failures);
  return TRUE;
}

void CheckSettingsAtStartup(HWND dialog) {
  // Nothing is registered after a failed check: clicking cannot start until a save
  // succeeds.
  if (!PassesStartupCheck(SnapshotOf(ClickSettings))) {
    MessageBoxW(dialog, StartupCheckText, SettingsErrorCaption, WarningStyle);
  } else if (!RegisterClickHotKeys(dialog)) {
    MessageBoxW(dialog, StartupHotKeyText, HotKeyErrorCaption, WarningStyle);
  }

  const uint32_t badKeys = LoadAdvancedSettings();
  if (badKeys != 0) {
    std::wstring text = L"配置文件中以下高级设置的值不正确，已改用默认值：\n";
    for (int key = 0; key < AdvancedKeyCount; ++key) {
      if ((badKeys & (1u << key)) == 0) continue;
      text += L"\n";
      text += AdvancedKeyNames[key];
      text += L"：应为 ";
      text += AdvancedKeyAllowed[key];
    }
    text += L"\n\n请在“操作”菜单的“高级设置...”中重新设置。";
    MessageBoxW(dialog, text.c_str(), L"高级设置错误", WarningStyle);
  }
  // The file stays as it is: a hand-edited sequence is the user's to mend.
  SequenceValues sequence;
  const std::vector<BadSequenceKey> badSequence = LoadSequence(sequence);
  SetSequence(sequence);
  if (!badSequence.empty()) {
    std::wstring text = L"配置文件中以下序列设置的值不正确：\n";
    for (const BadSequenceKey& key : badSequence) text += L"\n" + key.name + L"：应为 " + key.allowed;
    text += L"\n\n本次运行不使用序列，左、右键按各自的设置连点。请在“序列”对话框中重新设置并保存。";
    MessageBoxW(dialog, text.c_str(), L"序列设置错误", WarningStyle);
  }
  ReportTriggerFailures(dialog, RegisterTriggers(dialog));
}
