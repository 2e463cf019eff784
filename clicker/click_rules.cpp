#include "clicker/click_rules.h"

#include <cstdint>
#include <limits>

bool MeetsBasicRules(int32_t startKey, int32_t endKey, int32_t leftKey, int32_t rightKey, int32_t leftInterval,
                     int32_t rightInterval) noexcept {
  if (startKey == endKey) return false;
  if (leftKey == Disabled && rightKey == Disabled) return false;
  if (leftKey != Disabled && leftInterval == 0) return false;
  if (rightKey != Disabled && rightInterval == 0) return false;
  return true;
}

namespace {

bool IsHotKeyIndex(int32_t index) noexcept { return index >= 0 && index < HotKeyChoiceCount; }
bool IsClickMethod(int32_t method) noexcept { return method >= 0 && method < ClickMethodCount; }

}  // namespace

bool WithinSelectableRanges(const ClickValues& values) noexcept {
  return IsHotKeyIndex(values.StartKey) && IsHotKeyIndex(values.EndKey) && IsClickMethod(values.LeftKey) &&
         IsClickMethod(values.RightKey) && values.LeftInterval >= 0 && values.RightInterval >= 0;
}

bool PassesStartupCheck(const ClickValues& values) noexcept {
  return MeetsBasicRules(values.StartKey, values.EndKey, values.LeftKey, values.RightKey, values.LeftInterval,
                         values.RightInterval) &&
         WithinSelectableRanges(values);
}

bool AcceptDialogReadings(const DialogReadings& readings, ClickValues& out) noexcept {
  constexpr uint32_t largestInterval = static_cast<uint32_t>(std::numeric_limits<int32_t>::max());
  if (readings.leftInterval > largestInterval || readings.rightInterval > largestInterval) return false;
  const ClickValues values = {readings.startKey,
                              readings.endKey,
                              readings.leftKey,
                              readings.rightKey,
                              static_cast<int32_t>(readings.leftInterval),
                              static_cast<int32_t>(readings.rightInterval)};
  if (!PassesStartupCheck(values)) return false;
  out = values;
  return true;
}

uint32_t HotKeyVirtualKey(int32_t index) noexcept {
  return IsHotKeyIndex(index) ? FirstHotKeyVirtualKey + static_cast<uint32_t>(index) : 0;
}
