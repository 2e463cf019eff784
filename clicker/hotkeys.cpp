#include "clicker/hotkeys.h"

#include "clicker/click_rules.h"
#include "clicker/click_settings.h"

WORD StartHotKeyId = 0;
WORD StopHotKeyId = 0;

namespace {

bool idsDerived = false;
UINT registeredStartKey = 0;
HWND hotKeyWindow = nullptr;

bool DeriveHotKeyIds() {
  if (idsDerived) return true;
  const ATOM startAtom = GlobalAddAtomW(L"Qw_ZururOvuvu_Start");
  const ATOM stopAtom = GlobalAddAtomW(L"Qw_ZururOvuvu_End");
  // Without both atoms the two keys could not be told apart: nothing is registered,
  // and the next registration asks for the atoms again.
  if (startAtom == 0 || stopAtom == 0) return false;
  StartHotKeyId = HotKeyIdFromAtom(startAtom);
  StopHotKeyId = HotKeyIdFromAtom(stopAtom);
  idsDerived = true;
  return true;
}

bool RegisterStartThenStop(HWND dialog) {
  const UINT startKey = HotKeyVirtualKey(ClickSettings.StartKey.load());
  const UINT stopKey = HotKeyVirtualKey(ClickSettings.EndKey.load());
  if (startKey == 0 || !RegisterHotKey(dialog, StartHotKeyId, 0, startKey)) return false;
  if (stopKey != 0 && RegisterHotKey(dialog, StopHotKeyId, 0, stopKey)) {
    registeredStartKey = startKey;
    hotKeyWindow = dialog;
    return true;
  }
  (void)UnregisterHotKey(dialog, StartHotKeyId);
  return false;
}

}  // namespace

bool HotKeyIdsDerived() { return idsDerived; }
UINT RegisteredStartKey() { return registeredStartKey; }
HWND HotKeyWindow() { return hotKeyWindow; }

bool RegisterClickHotKeys(HWND dialog) { return DeriveHotKeyIds() && RegisterStartThenStop(dialog); }

bool ReregisterClickHotKeys(HWND dialog) {
  if (!DeriveHotKeyIds()) return false;
  (void)UnregisterHotKey(dialog, StartHotKeyId);
  (void)UnregisterHotKey(dialog, StopHotKeyId);
  return RegisterStartThenStop(dialog);
}
