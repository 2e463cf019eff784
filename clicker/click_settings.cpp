#include "clicker/click_settings.h"

ClickSettingsRecord ClickSettings;

const SettingKey SettingKeys[SettingKeyCount] = {
    {L"StartKey", &ClickSettingsRecord::StartKey},         {L"EndKey", &ClickSettingsRecord::EndKey},
    {L"LeftKey", &ClickSettingsRecord::LeftKey},           {L"RightKey", &ClickSettingsRecord::RightKey},
    {L"LeftInterval", &ClickSettingsRecord::LeftInterval}, {L"RightInterval", &ClickSettingsRecord::RightInterval},
};

const wchar_t* const HotKeyChoices[HotKeyChoiceCount] = {
    L"F1", L"F2", L"F3", L"F4", L"F5", L"F6", L"F7", L"F8", L"F9", L"F10", L"F11",
};

const wchar_t* const ClickMethodLabels[ClickMethodCount] = {L"不启用", L"单击", L"双击"};

void FormatDecimal(int32_t value, wchar_t (&out)[20]) noexcept {
  // Digits are produced from the magnitude as an unsigned number, so INT32_MIN works.
  uint32_t magnitude = value < 0 ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
  wchar_t digits[12];
  int count = 0;
  do {
    digits[count++] = static_cast<wchar_t>(L'0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  int length = 0;
  if (value < 0) out[length++] = L'-';
  while (count > 0) out[length++] = digits[--count];
  out[length] = L'\0';
}

ClickValues SnapshotOf(const ClickSettingsRecord& record) noexcept {
  return {record.StartKey.load(), record.EndKey.load(),       record.LeftKey.load(),
          record.RightKey.load(), record.LeftInterval.load(), record.RightInterval.load()};
}

void Store(ClickSettingsRecord& record, const ClickValues& values) noexcept {
  record.StartKey = values.StartKey;
  record.EndKey = values.EndKey;
  record.LeftKey = values.LeftKey;
  record.RightKey = values.RightKey;
  record.LeftInterval = values.LeftInterval;
  record.RightInterval = values.RightInterval;
}
