#include "clicker/triggers.h"

#include "common/text.h"

namespace {

struct Name {
  const wchar_t* text;
  uint32_t value;
};

// In the order they are written.
const Name Modifiers[] = {{L"Ctrl", TriggerCtrl}, {L"Alt", TriggerAlt}, {L"Shift", TriggerShift}, {L"Win", TriggerWin}};

// The keys with a name of their own; letters, digits, F1 to F24 and Num0 to Num9 are
// spelt out from their virtual keys.
const Name NamedKeys[] = {
    {L"Insert", 0x2D},          {L"Delete", 0x2E},          {L"Home", 0x24},      {L"End", 0x23},
    {L"PageUp", 0x21},          {L"PageDown", 0x22},        {L"Pause", PauseKey}, {L"Space", 0x20},
    {L"XButton1", XButton1Key}, {L"XButton2", XButton2Key},
};
constexpr uint32_t FirstFKey = 0x70;    // VK_F1
constexpr uint32_t FirstNumKey = 0x60;  // VK_NUMPAD0
constexpr uint32_t F12Key = 0x7B;

// A whole number from 1 or 2 digits without a leading zero, or -1.
int SmallNumber(const wchar_t* begin, const wchar_t* end) noexcept {
  const auto length = end - begin;
  if (length < 1 || length > 2 || *begin == L'0') return -1;
  int value = 0;
  for (; begin != end; ++begin) {
    if (*begin < L'0' || *begin > L'9') return -1;
    value = value * 10 + (*begin - L'0');
  }
  return value;
}

uint32_t KeyNamed(const wchar_t* begin, const wchar_t* end) noexcept {
  if (end - begin == 1) {
    const wchar_t c = *begin;
    if (c >= L'a' && c <= L'z') return static_cast<uint32_t>(c - L'a' + L'A');
    if ((c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9')) return static_cast<uint32_t>(c);
    return 0;
  }
  if (SameText(begin, begin + 1, L"f")) {
    const int n = SmallNumber(begin + 1, end);
    return n >= 1 && n <= 24 ? FirstFKey + static_cast<uint32_t>(n - 1) : 0;
  }
  if (end - begin == 4 && SameText(begin, begin + 3, L"Num") && begin[3] >= L'0' && begin[3] <= L'9') {
    return FirstNumKey + static_cast<uint32_t>(begin[3] - L'0');
  }
  for (const Name& named : NamedKeys) {
    if (SameText(begin, end, named.text)) return named.value;
  }
  return 0;
}

// The written name of a key that a trigger may hold, or false.
bool NameOfKey(uint32_t key, wchar_t (&out)[12]) noexcept {
  out[0] = L'\0';
  if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) {
    out[0] = static_cast<wchar_t>(key);
    out[1] = L'\0';
    return true;
  }
  if (key >= FirstFKey && key < FirstFKey + 24) {
    const uint32_t n = key - FirstFKey + 1;
    out[0] = L'F';
    out[1] = static_cast<wchar_t>(n >= 10 ? L'0' + n / 10 : L'0' + n);
    out[2] = n >= 10 ? static_cast<wchar_t>(L'0' + n % 10) : L'\0';
    out[3] = L'\0';
    return true;
  }
  if (key >= FirstNumKey && key <= FirstNumKey + 9) {
    const wchar_t name[] = {L'N', L'u', L'm', static_cast<wchar_t>(L'0' + key - FirstNumKey), L'\0'};
    for (int i = 0; i < 5; ++i) out[i] = name[i];
    return true;
  }
  for (const Name& named : NamedKeys) {
    if (named.value != key) continue;
    int i = 0;
    for (; named.text[i] != L'\0'; ++i) out[i] = named.text[i];
    out[i] = L'\0';
    return true;
  }
  return false;
}

// Combinations the keyboard never delivers as they are written: the system keeps F12
// for debuggers, Ctrl turns Pause into Cancel, and Shift turns the numeric keypad's
// digits into its navigation keys.
bool CanBeTrigger(const Trigger& trigger) noexcept {
  if (trigger.key == F12Key) return false;
  if (trigger.key == PauseKey && (trigger.modifiers & TriggerCtrl) != 0) return false;
  if (trigger.key >= FirstNumKey && trigger.key <= FirstNumKey + 9 && (trigger.modifiers & TriggerShift) != 0) {
    return false;
  }
  return !IsSideButton(trigger) || trigger.modifiers == 0;
}

}  // namespace

bool IsSideButton(const Trigger& trigger) noexcept { return trigger.key == XButton1Key || trigger.key == XButton2Key; }

bool ParseTrigger(const wchar_t* text, Trigger& out) noexcept {
  Trigger trigger;
  size_t nextModifier = 0;  // modifiers come in their written order, each at most once
  for (const wchar_t* part = text;;) {
    const wchar_t* end = part;
    while (*end != L'\0' && *end != L'+') ++end;
    const wchar_t* last = end;
    while (part != last && IsBlank(*part)) ++part;
    while (last != part && IsBlank(last[-1])) --last;
    if (*end == L'\0') {
      if (part == last && nextModifier == 0) {  // nothing at all: no trigger
        out = Trigger{};
        return true;
      }
      trigger.key = part == last ? 0 : KeyNamed(part, last);
      if (trigger.key == 0 || !CanBeTrigger(trigger)) return false;
      out = trigger;
      return true;
    }
    while (nextModifier < 4 && !SameText(part, last, Modifiers[nextModifier].text)) ++nextModifier;
    if (nextModifier == 4) return false;
    trigger.modifiers |= Modifiers[nextModifier++].value;
    part = end + 1;
  }
}

void FormatTrigger(const Trigger& trigger, wchar_t (&out)[TriggerTextCapacity]) noexcept {
  out[0] = L'\0';
  wchar_t key[12];
  if (trigger.key == 0 || !NameOfKey(trigger.key, key)) return;
  size_t length = 0;
  for (const Name& modifier : Modifiers) {
    if ((trigger.modifiers & modifier.value) == 0) continue;
    AppendText(out, TriggerTextCapacity, length, modifier.text);
    AppendText(out, TriggerTextCapacity, length, L"+");
  }
  AppendText(out, TriggerTextCapacity, length, key);
}

Trigger TriggerOfKey(uint32_t modifiers, uint32_t key) noexcept {
  wchar_t name[12];
  Trigger trigger{modifiers & (TriggerCtrl | TriggerAlt | TriggerShift | TriggerWin), key};
  if (!NameOfKey(key, name) || !CanBeTrigger(trigger)) return Trigger{};
  return trigger;
}

TriggerPlan PlanTriggers(const Trigger& start, const Trigger& stop, uint32_t startFKey, uint32_t stopFKey) noexcept {
  TriggerPlan plan;
  // The F-keys are bare keys: only a trigger without modifiers can be one.
  auto fKey = [](const Trigger& trigger, uint32_t key) { return trigger.modifiers == 0 && trigger.key == key; };
  auto add = [&plan](const Trigger& trigger, TriggerRole role, uint32_t clash) {
    plan.triggers[plan.count++] = {trigger, role, clash};
  };
  if (start.key != 0 && start == stop) {
    const uint32_t clash = fKey(start, startFKey) ? startFKey : fKey(start, stopFKey) ? stopFKey : 0;
    add(start, ToggleRole, clash);
    return plan;
  }
  if (start.key != 0 && !fKey(start, startFKey)) add(start, StartRole, fKey(start, stopFKey) ? stopFKey : 0);
  if (stop.key != 0 && !fKey(stop, stopFKey)) add(stop, StopRole, fKey(stop, startFKey) ? startFKey : 0);
  return plan;
}
