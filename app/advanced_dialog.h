// The dialog "高级设置", opened from the menu item "高级设置...".
#pragma once

#include <windows.h>

// Shows the dialog, modal over the main dialog; "确定" stores and writes the values,
// which running click threads use from their next cycle, and registers the triggers
// anew.
INT_PTR OnAdvancedCommand(HWND dialog);
