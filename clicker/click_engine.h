// The click engine: the start hot-key starts one click thread per button, the stop
// hot-key ends them after the clicks they are in.
#pragma once

#include <windows.h>

#include <atomic>

// Set by the start hot-key, cleared by the stop hot-key; each button's thread reads
// its own flag without a lock.
extern std::atomic<bool> LeftRunning;
extern std::atomic<bool> RightRunning;
// Taken only by the stop path, each around the clearing of its own button's flag.
extern CRITICAL_SECTION LeftLock;
extern CRITICAL_SECTION RightLock;
// Called once before the main dialog exists.
void InitializeClickLocks();

INT_PTR OnHotKey(WPARAM id);

// The stop path: clears both flags and cuts the threads' pauses short.
void StopClicking();

// Waits, at most timeoutMs, until neither button has a click thread; true when none
// is left.
bool WaitForClickThreads(DWORD timeoutMs);

DWORD WINAPI LeftClickThread(LPVOID);
DWORD WINAPI RightClickThread(LPVOID);
