// The dialog "序列", opened from the menu item "序列...".
#pragma once

#include <windows.h>

// Shows the dialog, modal over the main dialog; "确定" writes section "Sequence" and
// hands the sequence to the engine, which the next start runs.
INT_PTR OnSequenceCommand(HWND dialog);
