#include "clicker/settings.h"

#include <windows.h>

#include "clicker/click_settings.h"

namespace {
const wchar_t ConfigSection[] = L"Config";
wchar_t configFile[PathCapacity];
}  // namespace

void SetConfigFilePath(const wchar_t* path) { CopyText(path, configFile, PathCapacity); }

void LoadSettings() {
  ReadSettings(ClickSettings, [](const wchar_t* key, int32_t defaultValue) {
    if (configFile[0] == L'\0') return defaultValue;
    return static_cast<int32_t>(GetPrivateProfileIntW(ConfigSection, key, defaultValue, configFile));
  });
}

bool SaveSettings() { return WriteSettings(ClickSettings, WriteConfigText); }

uint32_t LoadAdvancedSettings() {
  AdvancedValues values;
  const uint32_t badKeys = ReadAdvancedSettings(values, ReadConfigText);
  Store(AdvancedSettings, values);
  return badKeys;
}

bool SaveAdvancedSettings(const AdvancedValues& values) { return WriteAdvancedSettings(values, WriteConfigText); }

namespace {
void ReadSequenceText(const wchar_t* name, wchar_t* text, size_t capacity) {
  ReadIniText(SequenceSection, name, text, capacity);
}
}  // namespace

std::vector<BadSequenceKey> LoadSequence(SequenceValues& values) { return ReadSequence(values, ReadSequenceText); }

bool SaveSequence(const SequenceValues& values) {
  return WriteSequence(values, ReadSequenceText, [](const wchar_t* name, const wchar_t* text) {
    return WriteIniText(SequenceSection, name, text);
  });
}

void ReadConfigText(const wchar_t* key, wchar_t* text, size_t capacity) {
  ReadIniText(ConfigSection, key, text, capacity);
}

bool WriteConfigText(const wchar_t* key, const wchar_t* text) { return WriteIniText(ConfigSection, key, text); }

void ReadIniText(const wchar_t* section, const wchar_t* key, wchar_t* text, size_t capacity) {
  text[0] = L'\0';
  if (capacity > 1) text[1] = L'\0';  // also an empty list of names
  if (configFile[0] == L'\0') return;
  GetPrivateProfileStringW(section, key, L"", text, static_cast<DWORD>(capacity), configFile);
}

bool WriteIniText(const wchar_t* section, const wchar_t* key, const wchar_t* text) {
  return configFile[0] != L'\0' && WritePrivateProfileStringW(section, key, text, configFile) != 0;
}
