// The click engine: the start hot-key or trigger wakes one click thread per button (or
// the sequence's), the stop hot-key or trigger ends their clicking after the clicks
// they are in. Each thread is made by its first start and waits between a stop and
// the next start.
#pragma once

#include <windows.h>

#include <atomic>

#include "clicker/sequence.h"
#include "clicker/triggers.h"

// Set by the start hot-key, cleared by the stop hot-key; each button's thread reads
// its own flag without a lock.
extern std::atomic<bool> LeftRunning;
extern std::atomic<bool> RightRunning;
// The same for the sequence, which runs on a thread of its own instead of the two
// buttons' threads.
extern std::atomic<bool> SequenceRunning;
// Taken only by the stop path, each around the clearing of its own button's flag.
extern CRITICAL_SECTION LeftLock;
extern CRITICAL_SECTION RightLock;
extern CRITICAL_SECTION SequenceLock;
// Called once before the main dialog exists.
void InitializeClickLocks();

// What a start reports: the buttons whose fixed point lies on no monitor (one unplugged
// since it was picked, or a typing slip), which therefore did not start.
constexpr uint32_t OffScreenLeft = 1;
constexpr uint32_t OffScreenRight = 2;

// A press of the start or stop F-key, a trigger or a toggle, with the virtual key whose
// release ends a hold; polled: a key, whose release is watched for (a side button's
// release comes from the input hooks).
uint32_t OnTriggerPressed(TriggerRole role, UINT key, bool polled);
// WM_HOTKEY.
uint32_t OnHotKey(WPARAM id);
// WM_SIDEBUTTON: a side button that is a trigger went down or up.
uint32_t OnSideButton(WPARAM role, LPARAM data);

// The sequence the start key runs from now on when SequenceRuns says so; otherwise the
// two buttons click as their settings say. A sequence that runs is stopped: its thread
// reads the steps it began with until it ends. UI thread only.
void SetSequence(const SequenceValues& values);
const SequenceValues& CurrentSequence();

// The stop path: clears the flags and cuts the threads' pauses short. Also what a hand
// on the mouse does (WM_HANDMOVED).
void StopClicking();

// Waits, at most timeoutMs, until no button and no sequence clicks any longer (their
// threads wait for a start); true when none does.
bool WaitForClickThreads(DWORD timeoutMs);
