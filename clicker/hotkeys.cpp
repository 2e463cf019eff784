#include "clicker/hotkeys.h"

#include <string>

#include "clicker/advanced_settings.h"
#include "clicker/click_rules.h"
#include "clicker/click_settings.h"
#include "clicker/input_hooks.h"

namespace {

constexpr int StartTriggerId = 3;  // a start or a toggle trigger
constexpr int StopTriggerId = 4;
UINT registeredStartKey = 0;
UINT registeredStopKey = 0;
HWND hotKeyWindow = nullptr;
TriggerRole startTriggerRole = StartRole;
UINT startTriggerKey = 0;  // 0: no key trigger registered for starting

bool RegisterStartThenStop(HWND dialog) {
  registeredStartKey = registeredStopKey = 0;
  const UINT startKey = HotKeyVirtualKey(ClickSettings.StartKey.load());
  const UINT stopKey = HotKeyVirtualKey(ClickSettings.EndKey.load());
  if (startKey == 0 || !RegisterHotKey(dialog, StartHotKeyId, 0, startKey)) return false;
  if (stopKey != 0 && RegisterHotKey(dialog, StopHotKeyId, 0, stopKey)) {
    registeredStartKey = startKey;
    registeredStopKey = stopKey;
    hotKeyWindow = dialog;
    return true;
  }
  (void)UnregisterHotKey(dialog, StartHotKeyId);
  return false;
}

std::wstring TriggerText(const Trigger& trigger) {
  wchar_t text[TriggerTextCapacity];
  FormatTrigger(trigger, text);
  return text;
}

}  // namespace

HWND HotKeyWindow() { return hotKeyWindow; }

bool RegisterClickHotKeys(HWND dialog) { return RegisterStartThenStop(dialog); }

bool ReregisterClickHotKeys(HWND dialog) {
  (void)UnregisterHotKey(dialog, StartHotKeyId);
  (void)UnregisterHotKey(dialog, StopHotKeyId);
  return RegisterStartThenStop(dialog);
}

TriggerRole HotKeyRole(WPARAM id, UINT& key) {
  key = 0;
  if (id == StartHotKeyId) {
    key = registeredStartKey;
    return StartRole;
  }
  if (startTriggerKey != 0 && id == StartTriggerId) {
    key = startTriggerKey;
    return startTriggerRole;
  }
  return StopRole;
}

void ReleaseTriggers(HWND dialog) {
  (void)UnregisterHotKey(dialog, StartTriggerId);
  (void)UnregisterHotKey(dialog, StopTriggerId);
  startTriggerKey = 0;
}

std::wstring RegisterTriggers(HWND dialog) {
  ReleaseTriggers(dialog);
  int sideButtonRoles[2] = {-1, -1};
  std::wstring failures;
  // Without the F-key pair clicking cannot start at all: no trigger either.
  const AdvancedValues values = SnapshotOf(AdvancedSettings);
  const TriggerPlan plan = registeredStartKey == 0 ? TriggerPlan{}
                                                   : PlanTriggers(values.startTrigger, values.stopTrigger,
                                                                  registeredStartKey, registeredStopKey);
  std::wstring sideButtons[2];  // named, should their hook fail
  for (int i = 0; i < plan.count; ++i) {
    const PlannedTrigger& planned = plan.triggers[i];
    const Trigger& trigger = planned.trigger;
    const std::wstring name = (planned.role == StartRole  ? L"\nStartTrigger="
                               : planned.role == StopRole ? L"\nStopTrigger="
                                                          : L"\nStartTrigger、StopTrigger=") +
                              TriggerText(trigger);
    if (planned.clash != 0) {
      failures += name + L"：与" + (planned.clash == registeredStartKey ? L"开始连点热键 " : L"结束连点热键 ") +
                  TriggerText(Trigger{0, planned.clash}) + L" 相同";
    } else if (IsSideButton(trigger)) {
      sideButtonRoles[trigger.key == XButton1Key ? 0 : 1] = planned.role;
      sideButtons[trigger.key == XButton1Key ? 0 : 1] = name;
    } else if (RegisterHotKey(dialog, planned.role == StopRole ? StopTriggerId : StartTriggerId, trigger.modifiers,
                              trigger.key)) {
      if (planned.role != StopRole) {
        startTriggerKey = trigger.key;
        startTriggerRole = planned.role;
      }
    } else {
      failures += name + L"：已被其他程序占用";
    }
  }
  if (!SetSideButtonRoles(dialog, sideButtonRoles[0], sideButtonRoles[1])) {
    for (const std::wstring& name : sideButtons) {
      if (!name.empty()) failures += name + L"：无法监视鼠标侧键";
    }
  }
  return failures;
}
