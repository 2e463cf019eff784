// The extra start and stop triggers beside the F-key pair: a mouse side button, or a
// key with modifiers. No Win32: the INI storage, the registration and the dialog's
// capture field share this file.
#pragma once

#include <cstddef>
#include <cstdint>

// The bits RegisterHotKey takes (MOD_ALT, MOD_CONTROL, MOD_SHIFT, MOD_WIN).
constexpr uint32_t TriggerAlt = 0x1;
constexpr uint32_t TriggerCtrl = 0x2;
constexpr uint32_t TriggerShift = 0x4;
constexpr uint32_t TriggerWin = 0x8;
// The side buttons' virtual keys (VK_XBUTTON1, VK_XBUTTON2).
constexpr uint32_t XButton1Key = 0x05;
constexpr uint32_t XButton2Key = 0x06;
// Sends its release together with its press however long it is held.
constexpr uint32_t PauseKey = 0x13;

struct Trigger {
  uint32_t modifiers = 0;
  uint32_t key = 0;  // a virtual key; 0: no trigger
  bool operator==(const Trigger& other) const noexcept { return modifiers == other.modifiers && key == other.key; }
  bool operator!=(const Trigger& other) const noexcept { return !(*this == other); }
};

bool IsSideButton(const Trigger& trigger) noexcept;

// "XButton1", "XButton2", or "Ctrl+Alt+Shift+Win+KEY" with any of the modifiers in that
// order, case-insensitive, blanks around the parts allowed; empty or blank: no trigger.
// False, with out unchanged, for anything else, and for what no keyboard delivers as
// written: F12, Ctrl with Pause, Shift with Num0 to Num9.
bool ParseTrigger(const wchar_t* text, Trigger& out) noexcept;
// The form above as it is written: "Ctrl+Shift+F5", "XButton2", or empty for none.
constexpr size_t TriggerTextCapacity = 32;
void FormatTrigger(const Trigger& trigger, wchar_t (&out)[TriggerTextCapacity]) noexcept;

// The trigger a key pressed with those modifiers makes, or none when that key cannot
// be one (a side button takes no modifier, and the combinations the reader refuses).
Trigger TriggerOfKey(uint32_t modifiers, uint32_t key) noexcept;

enum TriggerRole : int { StartRole, StopRole, ToggleRole };

// One trigger as registration should treat it, beside the F-keys in use.
struct PlannedTrigger {
  Trigger trigger;
  TriggerRole role;
  // The F-key in use for the other action that the trigger is (both, for a toggle);
  // 0 when there is none. Such a trigger is not registered and is reported.
  uint32_t clash;
};
struct TriggerPlan {
  PlannedTrigger triggers[2];
  int count = 0;
};

// The same trigger for both toggles. A trigger that is its own action's F-key already
// works through it and is left out.
TriggerPlan PlanTriggers(const Trigger& start, const Trigger& stop, uint32_t startFKey, uint32_t stopFKey) noexcept;
