#include "clicker/click_engine.h"

CRITICAL_SECTION LeftLock;
CRITICAL_SECTION RightLock;

void InitializeClickLocks() {
  InitializeCriticalSection(&LeftLock);
  InitializeCriticalSection(&RightLock);
}

INT_PTR OnHotKey(WPARAM) { return TRUE; }
