// Which click settings may be used, and how a hot-key index maps to a key. No Win32
// here: the save flow and the start-up check share it.
#pragma once

#include <cstdint>

#include "clicker/click_settings.h"

// The three basic rules the user is told about: different start and stop keys, at
// least one button enabled, and an interval other than 0 on every enabled button
// (a disabled button's interval is not looked at).
bool MeetsBasicRules(int32_t startKey, int32_t endKey, int32_t leftKey, int32_t rightKey, int32_t leftInterval,
                     int32_t rightInterval) noexcept;

// Every value means something: both keys name one of HotKeyChoices, both methods a
// ClickMethod, and no interval is negative. A hand-edited file or an empty combo box
// (-1) can hold values outside these; used as they are, -1 would register a key
// outside F1 to F11 and a negative interval would wait for weeks.
bool WithinSelectableRanges(const ClickValues& values) noexcept;

// The start-up check of the values loaded from the file.
bool PassesStartupCheck(const ClickValues& values) noexcept;

// What the Save command reads from the dialog: combo selections (-1 when a box
// shows none) and the intervals as the unsigned numbers the edits give.
struct DialogReadings {
  int32_t startKey;
  int32_t endKey;
  int32_t leftKey;
  int32_t rightKey;
  uint32_t leftInterval;
  uint32_t rightInterval;
};

// The values a save may store, or false when the readings must be refused with the
// rule message. An interval above 2147483647 does not fit the stored signed field,
// where it would turn negative, so it is refused rather than wrapped.
bool AcceptDialogReadings(const DialogReadings& readings, ClickValues& out) noexcept;

// The virtual key of a HotKeyChoices index, or 0 for an index outside the list.
uint32_t HotKeyVirtualKey(int32_t index) noexcept;
