#include "clicker/sequence.h"

#include <cmath>
#include <cstdlib>
#include <cwchar>
#include <limits>

#include "clicker/click_settings.h"
#include "common/text.h"

namespace {

// By StepAction; the key step's name is its prefix.
const wchar_t* const ActionNames[StepActionCount] = {L"Left",        L"Right",        L"Middle", L"LeftDouble",
                                                     L"RightDouble", L"MiddleDouble", L"Key:"};

const wchar_t StepAllowed[] =
    L"“动作 位置 停顿”，以空格分隔：动作为 Left、Right、Middle、LeftDouble、RightDouble、MiddleDouble，"
    L"或 Key: 加组合键（如 Key:Ctrl+V；写法为“Ctrl+Alt+Shift+Win+键”，修饰键可任选几个，按此顺序；键为 A～Z、"
    L"0～9、F1～F24、Num0～Num9、Insert、Delete、Home、End、PageUp、PageDown、Pause、Space）；位置为“横坐标,"
    L"纵坐标”（各为 -32768 到 32767 之间的整数）或 *（鼠标当前位置）；停顿为 0 到 3600000 之间的整数（毫秒）";
const wchar_t UnreachedStepAllowed[] =
    L"Step1 到 Step100 中的一个，且从 Step1 起编号连续（缺号之后和 Step100 之后的步骤读不到）";

struct NumberKey {
  const wchar_t* name;
  int32_t SequenceValues::*field;
  int32_t max;
  const wchar_t* allowed;
};
// In the order they are read and written; each defaults to 0, as when missing or empty.
const NumberKey NumberKeys[] = {
    {L"Enabled", &SequenceValues::enabled, 1, L"0 或 1"},
    {L"Repeat", &SequenceValues::repeat, std::numeric_limits<int32_t>::max(),
     L"0 到 2147483647 之间的整数（运行的遍数，0 表示一直运行到停止）"},
    {L"Spread", &SequenceValues::spread, MaxSequenceSpread, L"0 到 100 之间的整数（像素）"},
};

// The modifiers' virtual keys (VK_CONTROL, VK_MENU, VK_SHIFT, VK_LWIN), in the order they go down.
struct Modifier {
  uint32_t bit;
  uint32_t virtualKey;
};
const Modifier Modifiers[] = {{TriggerCtrl, 0x11}, {TriggerAlt, 0x12}, {TriggerShift, 0x10}, {TriggerWin, 0x5B}};

// Copies the last blank-free part of [begin, end) into part and moves end before it.
template <size_t Capacity>
bool TakeLastPart(const wchar_t* begin, const wchar_t*& end, wchar_t (&part)[Capacity]) noexcept {
  while (end != begin && IsBlank(end[-1])) --end;
  const wchar_t* first = end;
  while (first != begin && !IsBlank(first[-1])) --first;
  const size_t length = static_cast<size_t>(end - first);
  if (length == 0 || length >= Capacity) return false;
  for (size_t i = 0; i < length; ++i) part[i] = first[i];
  part[length] = L'\0';
  end = first;
  return true;
}

// A Chinese input method gives full-width signs as readily as ASCII ones.
bool IsCursorMark(const wchar_t* text) noexcept { return (*text == L'*' || *text == L'\xFF0A') && text[1] == L'\0'; }
bool IsColon(wchar_t c) noexcept { return c == L':' || c == L'\xFF1A'; }

bool ParseAction(const wchar_t* begin, const wchar_t* end, SequenceStep& step) noexcept {
  while (begin != end && IsBlank(*begin)) ++begin;
  while (end != begin && IsBlank(end[-1])) --end;
  for (int action = 0; action < KeyStep; ++action) {
    if (!SameText(begin, end, ActionNames[action])) continue;
    step.action = static_cast<StepAction>(action);
    return true;
  }
  if (end - begin < 4 || !SameText(begin, begin + 3, L"Key") || !IsColon(begin[3])) return false;
  // Blanks around the combination's parts are the triggers' own leniency.
  wchar_t combination[StepTextCapacity];
  const size_t length = static_cast<size_t>(end - begin - 4);
  if (length >= StepTextCapacity) return false;
  for (size_t i = 0; i < length; ++i) combination[i] = begin[4 + i];
  combination[length] = L'\0';
  Trigger key;
  if (!ParseTrigger(combination, key) || key.key == 0 || IsSideButton(key)) return false;
  step.action = KeyStep;
  step.key = key;
  return true;
}

// The written name of step n.
std::wstring StepName(int32_t n) { return L"Step" + std::to_wstring(n); }

bool IsStepKey(const std::wstring& name) noexcept { return name.size() >= 4 && SameText(&name[0], &name[4], L"Step"); }

// n of a key named Stepn in any case, n without leading zeros; 0 for any other name.
int32_t StepNumber(const std::wstring& name) noexcept {
  if (!IsStepKey(name) || name.size() < 5 || name.size() > 8 || name[4] == L'0') return 0;
  int32_t n = 0;
  for (size_t i = 4; i < name.size(); ++i) {
    if (name[i] < L'0' || name[i] > L'9') return 0;
    n = n * 10 + (name[i] - L'0');
  }
  return n;
}

std::vector<std::wstring> KeyNames(const SequenceRead& read) {
  // Far more than a hundred steps' names; a list cut short at the end only misses
  // keys past those.
  std::vector<wchar_t> list(16384, L'\0');
  read(nullptr, list.data(), list.size());
  list[list.size() - 2] = list[list.size() - 1] = L'\0';
  std::vector<std::wstring> names;
  for (const wchar_t* name = list.data(); *name != L'\0'; name += std::wcslen(name) + 1) names.emplace_back(name);
  return names;
}

constexpr size_t ValueCapacity = 128;

// False when the text filled the buffer and may have been cut short: no valid one comes near.
bool ReadValue(const SequenceRead& read, const wchar_t* name, wchar_t (&text)[ValueCapacity]) {
  text[0] = text[ValueCapacity - 2] = L'\0';
  read(name, text, ValueCapacity);
  text[ValueCapacity - 1] = L'\0';
  return text[ValueCapacity - 2] == L'\0';
}

int32_t StepCountOf(const SequenceValues& values) noexcept {
  return values.stepCount < 0 ? 0 : values.stepCount > MaxSequenceSteps ? MaxSequenceSteps : values.stepCount;
}

bool IsDouble(StepAction action) noexcept { return action >= LeftDoubleStep && action <= MiddleDoubleStep; }

// One step from its first press; returns the time of its last release.
int64_t RunStep(const SequenceStep& step, int32_t spread, int64_t begin, SequencePlatform& platform) noexcept {
  SpreadOffset offset;  // one for both presses of a double click
  if (step.point.set && spread > 0) {
    const uint32_t u1 = platform.Random();
    offset = SpreadOffsetOf(spread, u1, platform.Random());
  }
  auto moveCursor = [&] {
    if (step.point.set) platform.MoveCursor(step.point.x + offset.dx, step.point.y + offset.dy);
  };
  const int64_t released = begin + ClickHoldMicroseconds;
  moveCursor();
  if (step.action == KeyStep) {
    for (const Modifier& modifier : Modifiers) {
      if ((step.key.modifiers & modifier.bit) != 0) platform.KeyDown(modifier.virtualKey);
    }
    platform.KeyDown(step.key.key);
    platform.WaitUntil(released, false);
    platform.KeyUp(step.key.key);
    for (int i = 3; i >= 0; --i) {
      if ((step.key.modifiers & Modifiers[i].bit) != 0) platform.KeyUp(Modifiers[i].virtualKey);
    }
    return released;
  }
  const auto button = static_cast<MouseButton>(step.action % 3);
  platform.Press(button);
  platform.WaitUntil(released, false);
  platform.Release(button);
  if (!IsDouble(step.action)) return released;
  platform.WaitUntil(released + ClickHoldMicroseconds, false);
  moveCursor();
  platform.Press(button);
  platform.WaitUntil(released + 2 * ClickHoldMicroseconds, false);
  platform.Release(button);
  return released + 2 * ClickHoldMicroseconds;
}

// The rounds of one start: true when they ran out, false when a stop or a later start
// ended them.
bool RunRounds(ClickButton& button, uint32_t start, const SequenceValues& sequence,
               SequencePlatform& platform) noexcept {
  const int32_t count = StepCountOf(sequence);
  if (count == 0) return true;
  int64_t due = platform.NowMicroseconds();
  for (int64_t round = 1;; ++round) {
    for (int32_t i = 0; i < count; ++i) {
      // As in a click thread: a stall before a press or in a hold moves the rest of
      // the schedule instead of cutting holds or pauses short to catch up; a smaller
      // delay is made up within the step or the pause after it.
      due = ScheduleFrom(due, platform.NowMicroseconds());
      const int64_t released = RunStep(sequence.steps[i], sequence.spread, due, platform);
      if (round == sequence.repeat && i == count - 1) return true;
      due = ScheduleFrom(released, platform.NowMicroseconds()) + int64_t{sequence.steps[i].pauseMs} * 1000;
      // The engine's wait sees a stop that comes just before the deadline only when it
      // ends; the flag and the starts tell of it then.
      if (!platform.WaitUntil(due, true) || !button.running.load() || button.starts.load() != start) return false;
    }
  }
}

}  // namespace

bool SequenceRuns(const SequenceValues& values) noexcept { return values.enabled == 1 && StepCountOf(values) > 0; }

bool ParseStep(const wchar_t* text, SequenceStep& out) noexcept {
  const wchar_t* end = text + std::wcslen(text);
  wchar_t pause[16];
  wchar_t position[32];
  SequenceStep step;
  if (!TakeLastPart(text, end, pause) || !TakeLastPart(text, end, position)) return false;
  if (!ParseDecimal(pause, 0, MaxStepPauseMs, step.pauseMs)) return false;
  if (!IsCursorMark(position) && !ParsePoint(position, step.point)) return false;
  if (!ParseAction(text, end, step)) return false;
  out = step;
  return true;
}

void FormatStep(const SequenceStep& step, wchar_t (&out)[StepTextCapacity]) noexcept {
  size_t length = 0;
  auto append = [&out, &length](const wchar_t* text) { AppendText(out, StepTextCapacity, length, text); };
  out[0] = L'\0';
  wchar_t number[20];
  append(ActionNames[step.action >= 0 && step.action < StepActionCount ? step.action : LeftStep]);
  if (step.action == KeyStep) {
    wchar_t key[TriggerTextCapacity];
    FormatTrigger(step.key, key);
    append(key);
  }
  append(L" ");
  if (step.point.set) {
    FormatDecimal(step.point.x, number);
    append(number);
    append(L",");
    FormatDecimal(step.point.y, number);
    append(number);
  } else {
    append(L"*");
  }
  append(L" ");
  FormatDecimal(step.pauseMs, number);
  append(number);
}

std::vector<BadSequenceKey> ReadSequence(SequenceValues& values, const SequenceRead& read) {
  values = SequenceValues{};
  std::vector<BadSequenceKey> bad;
  for (const NumberKey& key : NumberKeys) {
    wchar_t text[ValueCapacity];
    const bool whole = ReadValue(read, key.name, text);
    const wchar_t* first = text;
    while (IsBlank(*first)) ++first;
    if (whole && *first == L'\0') continue;
    if (!whole || !ParseDecimal(text, 0, key.max, values.*key.field)) bad.push_back({key.name, key.allowed});
  }
  // Presence is told by the list of names: an empty StepN is there, and bad.
  const std::vector<std::wstring> names = KeyNames(read);
  bool present[MaxSequenceSteps + 2] = {};
  for (const std::wstring& name : names) {
    const int32_t n = StepNumber(name);
    if (n >= 1 && n <= MaxSequenceSteps) present[n] = true;
  }
  int32_t reached = 0;
  while (present[reached + 1]) {
    const std::wstring name = StepName(++reached);
    wchar_t text[ValueCapacity];
    if (ReadValue(read, name.c_str(), text) && ParseStep(text, values.steps[values.stepCount])) {
      ++values.stepCount;
    } else {
      bad.push_back({name, StepAllowed});
    }
  }
  for (const std::wstring& name : names) {
    const int32_t n = StepNumber(name);
    if (IsStepKey(name) && (n < 1 || n > reached)) bad.push_back({name, UnreachedStepAllowed});
  }
  if (!bad.empty()) values.enabled = 0;
  return bad;
}

bool WriteSequence(const SequenceValues& values, const SequenceRead& read, const SequenceWrite& write) {
  bool allWritten = true;
  for (const NumberKey& key : NumberKeys) {
    wchar_t text[20];
    FormatDecimal(values.*key.field, text);
    if (!write(key.name, text)) allWritten = false;
  }
  const int32_t count = StepCountOf(values);
  for (int32_t n = 1; n <= count; ++n) {
    wchar_t text[StepTextCapacity];
    FormatStep(values.steps[n - 1], text);
    if (!write(StepName(n).c_str(), text)) allWritten = false;
  }
  for (const std::wstring& name : KeyNames(read)) {
    const int32_t n = StepNumber(name);
    if (IsStepKey(name) && (n < 1 || n > count) && !write(name.c_str(), nullptr)) allWritten = false;
  }
  return allWritten;
}

SpreadOffset SpreadOffsetOf(int32_t radius, uint32_t u1, uint32_t u2) noexcept {
  if (radius <= 0) return {};
  constexpr double Pi = 3.14159265358979323846;
  constexpr double Range = 4294967296.0;  // 2^32
  const double distance = radius * std::sqrt(u1 / Range);
  const double angle = 2 * Pi * (u2 / Range);
  SpreadOffset offset{static_cast<int32_t>(std::lround(distance * std::cos(angle))),
                      static_cast<int32_t>(std::lround(distance * std::sin(angle)))};
  // Rounding can carry a place near the rim just outside it; it comes back by the
  // coordinate that reaches further. Both rules are the same either side of each axis,
  // so the mean stays on the point.
  const int64_t limit = int64_t{radius} * radius;
  while (int64_t{offset.dx} * offset.dx + int64_t{offset.dy} * offset.dy > limit) {
    int32_t& far = std::abs(offset.dx) >= std::abs(offset.dy) ? offset.dx : offset.dy;
    far += far > 0 ? -1 : 1;
  }
  return offset;
}

void RunSequence(ClickButton& button, const SequenceValues& sequence, SequencePlatform& platform) noexcept {
  while (KeepClicking(button)) {
    const uint32_t start = button.starts.load();
    if (RunRounds(button, start, sequence, platform)) button.spentStart.store(start);
  }
}
