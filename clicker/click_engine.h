// The click engine: the start hot-key starts one click thread per button, the stop
// hot-key ends them after their current cycle.
#pragma once

#include <windows.h>

extern CRITICAL_SECTION LeftLock;
extern CRITICAL_SECTION RightLock;
void InitializeClickLocks();

INT_PTR OnHotKey(WPARAM id);
