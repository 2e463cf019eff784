#include "clicker/advanced_flow.h"

#include <string>

#include "clicker/settings.h"

void LoadAdvancedSettings(HWND dialog) {
  AdvancedValues values;
  const uint32_t badKeys = ReadAdvancedSettings(values, ReadConfigText);
  Store(AdvancedSettings, values);
  if (badKeys == 0) return;
  std::wstring text = L"配置文件中以下高级设置的值不正确，已改用默认值：\n";
  for (int key = 0; key < AdvancedKeyCount; ++key) {
    if ((badKeys & (1u << key)) == 0) continue;
    text += L"\n";
    text += AdvancedKeyNames[key];
    text += L"：应为 ";
    text += AdvancedKeyAllowed[key];
  }
  text += L"\n\n请在“操作”菜单的“高级设置...”中重新设置。";
  MessageBoxW(dialog, text.c_str(), L"高级设置错误", MB_OK | MB_ICONWARNING | MB_TOPMOST);
}

bool SaveAdvancedSettings(const AdvancedValues& values) { return WriteAdvancedSettings(values, WriteConfigText); }
