// The six click settings, their defaults and the labels the dialog shows for them.
// No Win32 here: the click threads and the rules share this file.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

enum ClickMethod : int32_t {
  Disabled = 0,     // "不启用"
  SingleClick = 1,  // "单击"
  DoubleClick = 2,  // "双击"
};

// One process-wide record. The UI thread writes it (load, save); the click threads
// read the methods and intervals at every cycle, so each field is a whole atomic
// value and a save takes effect at a thread's next cycle. A new record holds the
// defaults, which also stand in for keys missing from the file.
struct ClickSettingsRecord {
  std::atomic<int32_t> StartKey{8};  // index into HotKeyChoices: F9
  std::atomic<int32_t> EndKey{10};   // F11
  std::atomic<int32_t> LeftKey{SingleClick};
  std::atomic<int32_t> RightKey{Disabled};
  std::atomic<int32_t> LeftInterval{1000};  // milliseconds
  std::atomic<int32_t> RightInterval{1000};
};

extern ClickSettingsRecord ClickSettings;

// A plain copy of the six values, in INI order.
struct ClickValues {
  int32_t StartKey;
  int32_t EndKey;
  int32_t LeftKey;
  int32_t RightKey;
  int32_t LeftInterval;
  int32_t RightInterval;
};

// Signed decimal without leading zeros or spaces, as the INI file stores it.
void FormatDecimal(int32_t value, wchar_t (&out)[20]) noexcept;

// The INI keys, in the order they are read and written.
struct SettingKey {
  const wchar_t* name;
  std::atomic<int32_t> ClickSettingsRecord::*field;
};
constexpr size_t SettingKeyCount = 6;
extern const SettingKey SettingKeys[SettingKeyCount];

ClickValues SnapshotOf(const ClickSettingsRecord& record) noexcept;

// Reads every key, in order, through read(key, default); the storage itself (the
// INI file) is the caller's.
template <typename Read>
void ReadSettings(ClickSettingsRecord& record, Read&& read) {
  const ClickSettingsRecord defaults;
  for (const SettingKey& key : SettingKeys) (record.*key.field).store(read(key.name, (defaults.*key.field).load()));
}

// Writes every key, in order, as signed decimal through write(key, text). A failed
// write does not stop the others; true only when all of them succeeded.
template <typename Write>
bool WriteSettings(const ClickSettingsRecord& record, Write&& write) {
  bool allWritten = true;
  for (const SettingKey& key : SettingKeys) {
    wchar_t text[20];
    FormatDecimal((record.*key.field).load(), text);
    if (!write(key.name, static_cast<const wchar_t*>(text))) allWritten = false;
  }
  return allWritten;
}
void Store(ClickSettingsRecord& record, const ClickValues& values) noexcept;

// F1 to F11 (F12 is not offered): index i registers virtual key VK_F1 + i.
constexpr int32_t HotKeyChoiceCount = 11;
constexpr uint32_t FirstHotKeyVirtualKey = 0x70;  // VK_F1
extern const wchar_t* const HotKeyChoices[HotKeyChoiceCount];

constexpr int32_t ClickMethodCount = 3;
extern const wchar_t* const ClickMethodLabels[ClickMethodCount];
