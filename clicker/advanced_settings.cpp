#include "clicker/advanced_settings.h"

#include <limits>

#include "clicker/click_settings.h"
#include "common/text.h"

AdvancedSettingsRecord AdvancedSettings;

const wchar_t* const AdvancedKeyNames[AdvancedKeyCount] = {
    L"LeftHold",  L"RightHold",  L"LeftCount",   L"RightCount",   L"LeftJitter",  L"RightJitter",
    L"LeftPoint", L"RightPoint", L"HoldToClick", L"StartTrigger", L"StopTrigger", L"StopOnMouseMove",
};

// Both triggers' forms; string literals join only where they are written side by side.
// clang-format off
#define QW_TRIGGER_ALLOWED \
  L"XButton1 或 XButton2（鼠标侧键），或“Ctrl+Alt+Shift+Win+键”（修饰键可任选几个，按此顺序；键为 A～Z、0～9、" \
  L"F1～F24（F12 除外，系统留给调试器）、Num0～Num9（不与 Shift 同用，Shift 使它们变成方向键）、Insert、Delete、" \
  L"Home、End、PageUp、PageDown、Pause（不与 Ctrl 同用，Ctrl+Pause 送出的是 Break）、Space）；留空表示不用"
// clang-format on

const wchar_t* const AdvancedKeyAllowed[AdvancedKeyCount] = {
    L"1 到 10000 之间的整数（毫秒）",
    L"1 到 10000 之间的整数（毫秒）",
    L"0 到 2147483647 之间的整数（0 表示不限）",
    L"0 到 2147483647 之间的整数（0 表示不限）",
    L"0 到 50 之间的整数（百分比）",
    L"0 到 50 之间的整数（百分比）",
    L"“横坐标,纵坐标”，各为 -32768 到 32767 之间的整数；留空表示鼠标当前位置",
    L"“横坐标,纵坐标”，各为 -32768 到 32767 之间的整数；留空表示鼠标当前位置",
    L"0 或 1",
    QW_TRIGGER_ALLOWED L"；HoldToClick=1 时不能是 Pause（Pause 键按下即松开，无法按住）",
    QW_TRIGGER_ALLOWED,
    L"0 到 1000 之间的整数（像素；0 表示不停止）",
};

namespace {

// A Chinese input method gives the full-width comma as readily as the ASCII one.
bool IsComma(wchar_t c) noexcept { return c == L',' || c == L'\xFF0C'; }

// The keys come in left-right pairs, left first.
ButtonTuning& ButtonOf(AdvancedKey key, AdvancedValues& values) noexcept {
  return key % 2 == 0 ? values.left : values.right;
}
const ButtonTuning& ButtonOf(AdvancedKey key, const AdvancedValues& values) noexcept {
  return key % 2 == 0 ? values.left : values.right;
}

bool IsPointKey(AdvancedKey key) noexcept { return key == LeftPointKey || key == RightPointKey; }

// The whole-number keys of a button.
struct NumberRule {
  int32_t ButtonTuning::*field;
  int32_t min;
  int32_t max;
};
NumberRule NumberRuleOf(AdvancedKey key) noexcept {
  switch (key) {
    case LeftHoldKey:
    case RightHoldKey:
      return {&ButtonTuning::hold, MinHoldMs, MaxHoldMs};
    case LeftCountKey:
    case RightCountKey:
      return {&ButtonTuning::count, 0, std::numeric_limits<int32_t>::max()};
    default:
      return {&ButtonTuning::jitter, 0, MaxJitterPercent};
  }
}

}  // namespace

int64_t PackPoint(const ClickPoint& point) noexcept {
  if (!point.set) return NoPackedPoint;
  return static_cast<int64_t>((static_cast<uint64_t>(static_cast<uint32_t>(point.x)) << 32) |
                              static_cast<uint32_t>(point.y));
}

ClickPoint UnpackPoint(int64_t packed) noexcept {
  ClickPoint point;
  if (packed == NoPackedPoint) return point;
  point.set = true;
  point.x = static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(packed) >> 32));
  point.y = static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(packed)));
  return point;
}

AdvancedValues SnapshotOf(const AdvancedSettingsRecord& record) noexcept {
  AdvancedValues values;
  for (int side = 0; side < 2; ++side) {
    const ClickTuning& from = side == 0 ? record.left : record.right;
    ButtonTuning& to = side == 0 ? values.left : values.right;
    to.hold = from.hold.load();
    to.count = from.count.load();
    to.jitter = from.jitter.load();
    to.point = UnpackPoint(from.point.load());
  }
  values.holdToClick = record.holdToClick.load();
  values.stopOnMouseMove = record.stopOnMouseMove.load();
  values.startTrigger = record.startTrigger;
  values.stopTrigger = record.stopTrigger;
  return values;
}

void Store(AdvancedSettingsRecord& record, const AdvancedValues& values) noexcept {
  for (int side = 0; side < 2; ++side) {
    const ButtonTuning& from = side == 0 ? values.left : values.right;
    ClickTuning& to = side == 0 ? record.left : record.right;
    to.hold = from.hold;
    to.count = from.count;
    to.jitter = from.jitter;
    to.point = PackPoint(from.point);
  }
  record.holdToClick = values.holdToClick;
  record.stopOnMouseMove = values.stopOnMouseMove;
  record.startTrigger = values.startTrigger;
  record.stopTrigger = values.stopTrigger;
}

bool StartTriggerHoldable(const AdvancedValues& values) noexcept {
  return values.holdToClick != 1 || values.startTrigger.key != PauseKey;
}

bool ParseDecimal(const wchar_t* text, int32_t min, int32_t max, int32_t& out) noexcept {
  const wchar_t* c = SkipBlanks(text);
  const bool negative = *c == L'-';
  if (negative) ++c;
  if (*c < L'0' || *c > L'9') return false;
  // Beyond this the value is out of every range; the digits are still read to the end.
  constexpr int64_t ceiling = int64_t{std::numeric_limits<int32_t>::max()} + 1;
  int64_t magnitude = 0;
  for (; *c >= L'0' && *c <= L'9'; ++c) {
    magnitude = magnitude * 10 + (*c - L'0');
    if (magnitude > ceiling) magnitude = ceiling + 1;
  }
  if (*SkipBlanks(c) != L'\0') return false;
  const int64_t value = negative ? -magnitude : magnitude;
  if (value < min || value > max) return false;
  out = static_cast<int32_t>(value);
  return true;
}

bool ParseCoordinate(const wchar_t* text, int32_t& out) noexcept {
  return ParseDecimal(text, MinCoordinate, MaxCoordinate, out);
}

bool ParsePoint(const wchar_t* text, ClickPoint& out) noexcept {
  const wchar_t* comma = text;
  while (*comma != L'\0' && !IsComma(*comma)) ++comma;
  if (*comma == L'\0') return false;
  wchar_t first[32];
  const size_t length = static_cast<size_t>(comma - text);
  if (length >= 32) return false;
  for (size_t i = 0; i < length; ++i) first[i] = text[i];
  first[length] = L'\0';
  ClickPoint point;
  point.set = true;
  if (!ParseCoordinate(first, point.x) || !ParseCoordinate(comma + 1, point.y)) return false;
  out = point;
  return true;
}

bool ParseAdvancedKey(AdvancedKey key, const wchar_t* text, AdvancedValues& values) noexcept {
  const bool empty = IsBlank(text);
  const AdvancedValues defaults;
  if (key == StartTriggerKey) return ParseTrigger(text, values.startTrigger);
  if (key == StopTriggerKey) return ParseTrigger(text, values.stopTrigger);
  if (key == HoldToClickKey) {
    if (empty) values.holdToClick = defaults.holdToClick;
    return empty || ParseDecimal(text, 0, 1, values.holdToClick);
  }
  if (key == StopOnMouseMoveKey) {
    if (empty) values.stopOnMouseMove = defaults.stopOnMouseMove;
    return empty || ParseDecimal(text, 0, MaxStopOnMouseMove, values.stopOnMouseMove);
  }
  ButtonTuning& button = ButtonOf(key, values);
  if (IsPointKey(key)) {
    if (empty) button.point = ClickPoint{};
    return empty || ParsePoint(text, button.point);
  }
  const NumberRule rule = NumberRuleOf(key);
  if (empty) button.*rule.field = defaults.left.*rule.field;
  return empty || ParseDecimal(text, rule.min, rule.max, button.*rule.field);
}

void FormatAdvancedKey(AdvancedKey key, const AdvancedValues& values, wchar_t (&out)[32]) noexcept {
  wchar_t number[20];
  out[0] = L'\0';
  size_t length = 0;
  auto append = [&out, &length](const wchar_t* text) { AppendText(out, 32, length, text); };
  if (key == StartTriggerKey || key == StopTriggerKey) {
    static_assert(TriggerTextCapacity == 32, "the trigger's text is the key's text");
    return FormatTrigger(key == StartTriggerKey ? values.startTrigger : values.stopTrigger, out);
  }
  if (key == HoldToClickKey || key == StopOnMouseMoveKey) {
    FormatDecimal(key == HoldToClickKey ? values.holdToClick : values.stopOnMouseMove, number);
    return append(number);
  }
  const ButtonTuning& button = ButtonOf(key, values);
  if (!IsPointKey(key)) {
    FormatDecimal(button.*NumberRuleOf(key).field, number);
    return append(number);
  }
  if (!button.point.set) return;
  FormatDecimal(button.point.x, number);
  append(number);
  append(L",");
  FormatDecimal(button.point.y, number);
  append(number);
}
