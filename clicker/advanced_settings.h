// The advanced click settings: per button a press duration, a click count, a random
// spread of the pauses and a fixed point, the hold-to-click switch, and a start and a
// stop trigger beside the F-keys. Each key is optional; without them the program clicks
// as the six main settings alone say. No Win32: the engine, the INI storage and the
// dialog share this file.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "clicker/triggers.h"

constexpr int32_t DefaultHoldMs = 50;
constexpr int32_t MinHoldMs = 1;
constexpr int32_t MaxHoldMs = 10000;
constexpr int32_t MaxJitterPercent = 50;
constexpr int32_t MaxStopOnMouseMove = 1000;  // pixels
// Far beyond any desktop, and small enough that both coordinates and a "no point"
// mark pack into one 64-bit value that a click thread reads whole.
constexpr int32_t MinCoordinate = -32768;
constexpr int32_t MaxCoordinate = 32767;

struct ClickPoint {
  bool set = false;  // false: at the cursor
  int32_t x = 0;
  int32_t y = 0;
};

int64_t PackPoint(const ClickPoint& point) noexcept;
ClickPoint UnpackPoint(int64_t packed) noexcept;
constexpr int64_t NoPackedPoint = INT64_MIN;

// One button's values as the click thread reads them, each at every cycle.
struct ClickTuning {
  std::atomic<int32_t> hold{DefaultHoldMs};  // milliseconds a press is held
  std::atomic<int32_t> count{0};             // clicks per start; 0: no limit
  std::atomic<int32_t> jitter{0};            // percent the pauses spread either way
  std::atomic<int64_t> point{NoPackedPoint};
};

// One process-wide record, written on the UI thread (start-up, the dialog).
struct AdvancedSettingsRecord {
  ClickTuning left;
  ClickTuning right;
  std::atomic<int32_t> holdToClick{0};
  // Pixels of a hand's move on the mouse that stop all clicking; 0: never.
  std::atomic<int32_t> stopOnMouseMove{0};
  // Read only on the UI thread, by the registration.
  Trigger startTrigger;
  Trigger stopTrigger;
};
extern AdvancedSettingsRecord AdvancedSettings;

// A plain copy, with the defaults.
struct ButtonTuning {
  int32_t hold = DefaultHoldMs;
  int32_t count = 0;
  int32_t jitter = 0;
  ClickPoint point;
};
struct AdvancedValues {
  ButtonTuning left;
  ButtonTuning right;
  int32_t holdToClick = 0;
  Trigger startTrigger;
  Trigger stopTrigger;
  int32_t stopOnMouseMove = 0;
};

AdvancedValues SnapshotOf(const AdvancedSettingsRecord& record) noexcept;
void Store(AdvancedSettingsRecord& record, const AdvancedValues& values) noexcept;

// The keys of section "Config", in the order they are read and written.
enum AdvancedKey : int {
  LeftHoldKey,
  RightHoldKey,
  LeftCountKey,
  RightCountKey,
  LeftJitterKey,
  RightJitterKey,
  LeftPointKey,
  RightPointKey,
  HoldToClickKey,
  StartTriggerKey,
  StopTriggerKey,
  StopOnMouseMoveKey,
  AdvancedKeyCount
};
extern const wchar_t* const AdvancedKeyNames[AdvancedKeyCount];
// What a key may hold, in the words the messages use.
extern const wchar_t* const AdvancedKeyAllowed[AdvancedKeyCount];

// Pause sends its release with its press, so with hold-to-click it would stop at once
// the clicking it starts: then it cannot be the start trigger.
bool StartTriggerHoldable(const AdvancedValues& values) noexcept;

// A whole decimal integer within [min, max], blanks around it allowed; nothing else
// ("12abc", "1.5", "+3", a value that overflows) is one.
bool ParseDecimal(const wchar_t* text, int32_t min, int32_t max, int32_t& out) noexcept;
bool ParseCoordinate(const wchar_t* text, int32_t& out) noexcept;
// "x,y" (the comma ASCII or full-width), each a coordinate, blanks around them allowed.
bool ParsePoint(const wchar_t* text, ClickPoint& out) noexcept;

// One key's text into values. Empty text (or only blanks) is the key's default, as a
// missing key is. False, with values unchanged, when the text is malformed or out
// of range.
bool ParseAdvancedKey(AdvancedKey key, const wchar_t* text, AdvancedValues& values) noexcept;
// The text a save writes: decimal, "x,y", a trigger, or empty for no point or trigger.
void FormatAdvancedKey(AdvancedKey key, const AdvancedValues& values, wchar_t (&out)[32]) noexcept;

// Reads every key through read(name, buffer, capacity), which fills the buffer with
// the stored text (empty when the key is missing). Bad keys keep their defaults;
// the result has bit (1 << key) set for each of them. A start trigger of Pause with
// hold-to-click counts as a bad StartTrigger.
template <typename Read>
uint32_t ReadAdvancedSettings(AdvancedValues& values, Read&& read) {
  uint32_t badKeys = 0;
  for (int key = 0; key < AdvancedKeyCount; ++key) {
    constexpr size_t capacity = 128;
    wchar_t text[capacity] = {};
    read(AdvancedKeyNames[key], text, capacity);
    text[capacity - 1] = L'\0';
    // A text that fills the buffer may have been cut short; no valid one comes near.
    const bool full = text[capacity - 2] != L'\0';
    if (full || !ParseAdvancedKey(static_cast<AdvancedKey>(key), text, values)) badKeys |= 1u << key;
  }
  if (!StartTriggerHoldable(values)) {
    values.startTrigger = Trigger{};
    badKeys |= 1u << StartTriggerKey;
  }
  return badKeys;
}

// Writes every key through write(name, text). A failed write does not stop the
// others; true only when all of them succeeded.
template <typename Write>
bool WriteAdvancedSettings(const AdvancedValues& values, Write&& write) {
  bool allWritten = true;
  for (int key = 0; key < AdvancedKeyCount; ++key) {
    wchar_t text[32];
    FormatAdvancedKey(static_cast<AdvancedKey>(key), values, text);
    if (!write(AdvancedKeyNames[key], static_cast<const wchar_t*>(text))) allWritten = false;
  }
  return allWritten;
}
