#include "clicker/hotkeys.h"

#include <atomic>
#include <string>

#include "app/main_dialog.h"
#include "clicker/advanced_settings.h"
#include "clicker/click_rules.h"
#include "clicker/click_settings.h"

WORD StartHotKeyId = 0;
WORD StopHotKeyId = 0;

namespace {

WORD startTriggerId = 0;  // a start or a toggle trigger
WORD stopTriggerId = 0;
bool idsDerived = false;
UINT registeredStartKey = 0;
UINT registeredStopKey = 0;
HWND hotKeyWindow = nullptr;
TriggerRole startTriggerRole = StartRole;
UINT startTriggerKey = 0;  // 0: no key trigger registered for starting

bool DeriveHotKeyIds() {
  if (idsDerived) return true;
  const ATOM atoms[] = {GlobalAddAtomW(L"Qw_ZururOvuvu_Start"), GlobalAddAtomW(L"Qw_ZururOvuvu_End"),
                        GlobalAddAtomW(L"Qw_ZururOvuvu_StartTrigger"), GlobalAddAtomW(L"Qw_ZururOvuvu_StopTrigger")};
  // Without every atom the keys could not be told apart: nothing is registered, and
  // the next registration asks for the atoms again.
  for (ATOM atom : atoms) {
    if (atom == 0) return false;
  }
  StartHotKeyId = HotKeyIdFromAtom(atoms[0]);
  StopHotKeyId = HotKeyIdFromAtom(atoms[1]);
  startTriggerId = HotKeyIdFromAtom(atoms[2]);
  stopTriggerId = HotKeyIdFromAtom(atoms[3]);
  idsDerived = true;
  return true;
}

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

// The side buttons' roles (XButton1, XButton2), read by the hook's thread; -1: not a trigger.
std::atomic<int> sideButtonRoles[2] = {{-1}, {-1}};
HWND sideButtonWindow = nullptr;  // written before the hook's thread starts
HANDLE hookThread = nullptr;
DWORD hookThreadId = 0;

LRESULT CALLBACK SideButtonHook(int code, WPARAM message, LPARAM data) {
  if (code == HC_ACTION && (message == WM_XBUTTONDOWN || message == WM_XBUTTONUP)) {
    const WORD button = HIWORD(reinterpret_cast<const MSLLHOOKSTRUCT*>(data)->mouseData);
    const int role = button == XBUTTON1   ? sideButtonRoles[0].load()
                     : button == XBUTTON2 ? sideButtonRoles[1].load()
                                          : -1;
    if (role >= 0) {
      const UINT key = button == XBUTTON1 ? XButton1Key : XButton2Key;
      PostMessageW(sideButtonWindow, WM_SIDEBUTTON, static_cast<WPARAM>(role),
                   MAKELPARAM(key, message == WM_XBUTTONDOWN ? 1 : 0));
      // The button belongs to the program: the window under the cursor (a browser
      // would go back a page) sees neither its press nor its release.
      return 1;
    }
  }
  return CallNextHookEx(nullptr, code, message, data);
}

// Every mouse event of the session waits for a low-level hook, and the system drops a
// hook that answers late, so it lives on a thread of its own that does nothing else:
// the dialog's thread may be busy for seconds (the browser, the shell, a download).
DWORD WINAPI SideButtonThread(LPVOID) {
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_HIGHEST);
  HHOOK hook = SetWindowsHookExW(WH_MOUSE_LL, SideButtonHook, GetModuleHandleW(nullptr), 0);
  MSG message;
  while (hook != nullptr && GetMessageW(&message, nullptr, 0, 0) > 0) {
  }
  if (hook != nullptr) UnhookWindowsHookEx(hook);
  return 0;
}

void StopSideButtonHook() {
  if (hookThread == nullptr) return;
  // The quit cannot be posted before the thread has a message queue; until it has
  // one, or ends, it is tried again.
  for (int attempt = 0; attempt < 100 && !PostThreadMessageW(hookThreadId, WM_QUIT, 0, 0); ++attempt) {
    if (WaitForSingleObject(hookThread, 10) != WAIT_TIMEOUT) break;
  }
  (void)WaitForSingleObject(hookThread, 1000);
  CloseHandle(hookThread);
  hookThread = nullptr;
}

std::wstring TriggerText(const Trigger& trigger) {
  wchar_t text[TriggerTextCapacity];
  FormatTrigger(trigger, text);
  return text;
}

}  // namespace

HWND HotKeyWindow() { return hotKeyWindow; }

bool RegisterClickHotKeys(HWND dialog) { return DeriveHotKeyIds() && RegisterStartThenStop(dialog); }

bool ReregisterClickHotKeys(HWND dialog) {
  if (!DeriveHotKeyIds()) return false;
  (void)UnregisterHotKey(dialog, StartHotKeyId);
  (void)UnregisterHotKey(dialog, StopHotKeyId);
  return RegisterStartThenStop(dialog);
}

TriggerRole HotKeyRole(WPARAM id, UINT& key) {
  key = 0;
  if (idsDerived && id == StartHotKeyId) {
    key = registeredStartKey;
    return StartRole;
  }
  if (idsDerived && startTriggerKey != 0 && id == startTriggerId) {
    key = startTriggerKey;
    return startTriggerRole;
  }
  return StopRole;
}

void ReleaseTriggers(HWND dialog) {
  if (idsDerived) {
    (void)UnregisterHotKey(dialog, startTriggerId);
    (void)UnregisterHotKey(dialog, stopTriggerId);
  }
  startTriggerKey = 0;
  sideButtonRoles[0] = sideButtonRoles[1] = -1;
  StopSideButtonHook();
}

void RegisterTriggers(HWND dialog) {
  ReleaseTriggers(dialog);
  if (registeredStartKey == 0) return;
  const AdvancedValues values = SnapshotOf(AdvancedSettings);
  const TriggerPlan plan = PlanTriggers(values.startTrigger, values.stopTrigger, registeredStartKey, registeredStopKey);
  std::wstring failures;
  for (int i = 0; i < plan.count; ++i) {
    const PlannedTrigger& planned = plan.triggers[i];
    const Trigger& trigger = planned.trigger;
    const std::wstring name = planned.role == StartRole  ? L"StartTrigger"
                              : planned.role == StopRole ? L"StopTrigger"
                                                         : L"StartTrigger、StopTrigger";
    if (planned.clash != 0) {
      failures += L"\n" + name + L"=" + TriggerText(trigger) + L"：与" +
                  (planned.clash == registeredStartKey ? L"开始连点热键 " : L"结束连点热键 ") +
                  TriggerText(Trigger{0, planned.clash}) + L" 相同";
    } else if (IsSideButton(trigger)) {
      sideButtonRoles[trigger.key == XButton1Key ? 0 : 1] = planned.role;
    } else if (RegisterHotKey(dialog, planned.role == StopRole ? stopTriggerId : startTriggerId, trigger.modifiers,
                              trigger.key)) {
      if (planned.role != StopRole) {
        startTriggerKey = trigger.key;
        startTriggerRole = planned.role;
      }
    } else {
      failures += L"\n" + name + L"=" + TriggerText(trigger) + L"：已被其他程序占用";
    }
  }
  if (sideButtonRoles[0] >= 0 || sideButtonRoles[1] >= 0) {
    sideButtonWindow = dialog;
    hookThread = CreateThread(nullptr, 0, SideButtonThread, nullptr, 0, &hookThreadId);
  }
  if (failures.empty()) return;
  const std::wstring text = L"以下热键无法使用，其余热键照常可用：\n" + failures +
                            L"\n\n请在“操作”菜单的“高级设置...”中重新设置，或关闭占用热键的程序。";
  MessageBoxW(dialog, text.c_str(), L"注册热键错误", MB_OK | MB_ICONWARNING | MB_TOPMOST);
}
