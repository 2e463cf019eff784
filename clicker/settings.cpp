#include "clicker/settings.h"

#include <windows.h>

#include "app/process_values.h"
#include "clicker/click_settings.h"

wchar_t ConfigFilePath[PathCapacity];

namespace {
const wchar_t ConfigSection[] = L"Config";
}

void BuildConfigFilePath() {
  ConfigFilePath[0] = L'\0';
  if (ModuleDirectory[0] != L'\0') JoinText(ModuleDirectory, L"配置文件.ini", ConfigFilePath, PathCapacity);
}

void LoadSettings() {
  ReadSettings(ClickSettings, [](const wchar_t* key, int32_t defaultValue) {
    if (ConfigFilePath[0] == L'\0') return defaultValue;
    return static_cast<int32_t>(GetPrivateProfileIntW(ConfigSection, key, defaultValue, ConfigFilePath));
  });
}

bool SaveSettings() { return WriteSettings(ClickSettings, WriteConfigText); }

void ReadConfigText(const wchar_t* key, wchar_t* text, size_t capacity) {
  text[0] = L'\0';
  if (ConfigFilePath[0] == L'\0') return;
  GetPrivateProfileStringW(ConfigSection, key, L"", text, static_cast<DWORD>(capacity), ConfigFilePath);
}

bool WriteConfigText(const wchar_t* key, const wchar_t* text) {
  return ConfigFilePath[0] != L'\0' && WritePrivateProfileStringW(ConfigSection, key, text, ConfigFilePath) != 0;
}
