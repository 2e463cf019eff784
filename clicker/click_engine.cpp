#include "clicker/click_engine.h"

#include <mmsystem.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <random>

#include "clicker/advanced_settings.h"
#include "clicker/click_cycle.h"
#include "clicker/click_settings.h"
#include "clicker/hotkeys.h"
#include "clicker/input_hooks.h"
#include "clicker/trigger_state.h"

std::atomic<bool> LeftRunning{false};
std::atomic<bool> RightRunning{false};
std::atomic<bool> SequenceRunning{false};
CRITICAL_SECTION LeftLock;
CRITICAL_SECTION RightLock;
CRITICAL_SECTION SequenceLock;

namespace {

struct ButtonEngine;
// What a click thread does for one start, until its clicks end or a stop.
using EngineRun = void (*)(ButtonEngine& engine);

struct ButtonEngine {
  ClickButton button;
  CRITICAL_SECTION& lock;
  DWORD pressEvent;
  DWORD releaseEvent;
  HANDLE& stopSignal;
  uint32_t offScreenBit;  // in what a start reports
  EngineRun run;
  // The engine's thread, made by its first start and kept for the whole run: it
  // waits on the start signal (auto-reset), which a start sets. Creating a thread
  // takes milliseconds, waking one that waits does not, so the first press follows
  // the key. Not made before the first start: under Wine each thread holds about a
  // megabyte, and most runs never click some buttons or a sequence.
  HANDLE thread = nullptr;
  HANDLE startSignal = nullptr;
  // Around each press and release with its mark, and the release at the end of the
  // process: that release then always comes after any press, never before one.
  CRITICAL_SECTION pressLock = {};
  bool pressed = false;  // between a press and its release
  bool ended = false;    // the process is ending: no more presses
};

// Manual-reset events, set by a stop so that a thread's pause ends at once and reset
// by the start that follows. Created with the locks and kept for the whole run; plain
// handles, so that no initialisation order can undo their creation.
HANDLE leftStopSignal;
HANDLE rightStopSignal;
HANDLE sequenceStopSignal;

void RunButton(ButtonEngine& engine);
void RunSteps(ButtonEngine& engine);

// The sequence's record runs no method and no interval of its own.
const std::atomic<int32_t> noMethod{0};
const std::atomic<int32_t> noInterval{0};

ButtonEngine LeftEngine{{LeftRunning, ClickSettings.LeftKey, ClickSettings.LeftInterval, &AdvancedSettings.left},
                        LeftLock,
                        MOUSEEVENTF_LEFTDOWN,
                        MOUSEEVENTF_LEFTUP,
                        leftStopSignal,
                        OffScreenLeft,
                        RunButton};
ButtonEngine RightEngine{{RightRunning, ClickSettings.RightKey, ClickSettings.RightInterval, &AdvancedSettings.right},
                         RightLock,
                         MOUSEEVENTF_RIGHTDOWN,
                         MOUSEEVENTF_RIGHTUP,
                         rightStopSignal,
                         OffScreenRight,
                         RunButton};
// The sequence's thread, instead of the two above while a sequence runs.
ButtonEngine SequenceEngine{{SequenceRunning, noMethod, noInterval}, SequenceLock, 0, 0, sequenceStopSignal, 0, RunSteps};

// What the sequence's thread holds down, under SequenceEngine.pressLock as a button's
// press is under its own: the end of the process releases all of it.
struct SequenceHeld {
  bool buttons[3] = {};  // by MouseButton
  uint32_t keys[8] = {};
  int keyCount = 0;
} sequenceHeld;

bool clickLocksReady = false;

// Sleeps in 100 ns units through ntdll where it offers them, else in whole
// milliseconds. Under Wine this kind of sleep is a plain timed wait of the thread,
// while waits on objects go through the wine server, whose wake-ups come late when
// the machine is busy.
using DelayExecution = LONG(NTAPI*)(BOOLEAN alertable, PLARGE_INTEGER interval);
const DelayExecution delayExecution = reinterpret_cast<DelayExecution>(
    reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtDelayExecution")));

void SleepMicroseconds(int64_t microseconds) {
  if (delayExecution != nullptr) {
    LARGE_INTEGER relative;
    relative.QuadPart = -microseconds * 10;
    delayExecution(FALSE, &relative);
  } else {
    Sleep(static_cast<DWORD>((microseconds + 500) / 1000));
  }
}

// The clock and the waits of one click or sequence thread, on its engine's stop signal.
class DeadlineClock {
 public:
  explicit DeadlineClock(const HANDLE& stopSignal) : stopSignal_(stopSignal) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    frequency_ = frequency.QuadPart > 0 ? frequency.QuadPart : 1;
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    random_.seed(static_cast<uint32_t>(counter.QuadPart) ^ GetCurrentThreadId());
  }

  int64_t Now() noexcept {
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    // In two parts: counter * 1000000 overflows after some weeks of uptime.
    return counter.QuadPart / frequency_ * 1000000 + counter.QuadPart % frequency_ * 1000000 / frequency_;
  }

  // A pause waits on the stop signal, so that a stop ends it at once, but only until
  // shortly before the deadline; the rest is slept precisely. A stop in that last
  // stretch is seen when the pause ends.
  bool WaitUntil(int64_t deadline, bool interruptible) noexcept {
    for (;;) {
      const int64_t remaining = deadline - Now();
      if (remaining <= 0) return true;
      if (interruptible && stopSignal_ != nullptr && remaining >= PreciseStretch + 1000) {
        const int64_t ms = std::min<int64_t>((remaining - PreciseStretch) / 1000, MaxWaitMs);
        const DWORD result = WaitForSingleObject(stopSignal_, static_cast<DWORD>(ms));
        if (result == WAIT_OBJECT_0) return false;
        if (result == WAIT_FAILED) SleepMicroseconds(ms * 1000);
        continue;
      }
      SleepMicroseconds(remaining);
    }
  }

  uint32_t Random() noexcept { return static_cast<uint32_t>(random_()); }

 private:
  // Longer than the late wake-ups of a busy machine, short enough not to matter to a stop.
  static constexpr int64_t PreciseStretch = 10000;
  // Long pauses are waited in pieces, well below INFINITE.
  static constexpr int64_t MaxWaitMs = 0x7FFFFFFF;
  const HANDLE& stopSignal_;
  int64_t frequency_;
  std::mt19937 random_;
};

// The program's own moves are no hand on the mouse: the watch measures from the point
// the cursor is put on, set before it moves, and from where it landed (the desktop's
// edge may stop it short).
void PutCursor(int32_t x, int32_t y) {
  SetMoveReference(x, y);
  SetCursorPos(x, y);
  POINT landed;
  if (GetCursorPos(&landed)) SetMoveReference(landed.x, landed.y);
}

class MousePlatform final : public ClickPlatform {
 public:
  explicit MousePlatform(ButtonEngine& engine) : engine_(engine), clock_(engine.stopSignal) {}

  int64_t NowMicroseconds() noexcept override { return clock_.Now(); }
  bool WaitUntil(int64_t deadline, bool interruptible) noexcept override {
    return clock_.WaitUntil(deadline, interruptible);
  }

  void Press() noexcept override {
    EnterCriticalSection(&engine_.pressLock);
    if (!engine_.ended) {
      mouse_event(engine_.pressEvent, 0, 0, 0, OwnInputSignature);
      engine_.pressed = true;
    }
    LeaveCriticalSection(&engine_.pressLock);
  }
  void Release() noexcept override {
    EnterCriticalSection(&engine_.pressLock);
    if (engine_.pressed) {
      mouse_event(engine_.releaseEvent, 0, 0, 0, OwnInputSignature);
      engine_.pressed = false;
    }
    LeaveCriticalSection(&engine_.pressLock);
  }
  // The press then lands where the cursor is, at the point.
  void MoveCursor(int32_t x, int32_t y) noexcept override { PutCursor(x, y); }
  uint32_t Random() noexcept override { return clock_.Random(); }

 private:
  ButtonEngine& engine_;
  DeadlineClock clock_;
};

void SendMouseButton(MouseButton button, bool down) {
  static const DWORD downFlags[] = {MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_MIDDLEDOWN};
  INPUT input = {};
  input.type = INPUT_MOUSE;
  // Each button's up flag is the bit above its down flag.
  input.mi.dwFlags = down ? downFlags[button] : downFlags[button] << 1;
  input.mi.dwExtraInfo = OwnInputSignature;
  SendInput(1, &input, sizeof(input));
}

// Keys whose scan code comes after the prefix E0: without the flag a game that reads
// scan codes sees the key of the numeric keypad, or the left one of a pair.
bool IsExtendedKey(uint32_t key) {
  switch (key) {
    case VK_INSERT:
    case VK_DELETE:
    case VK_HOME:
    case VK_END:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
    case VK_RCONTROL:
    case VK_RMENU:
    case VK_LWIN:
    case VK_RWIN:
    case VK_APPS:
    case VK_DIVIDE:
    case VK_NUMLOCK:
    case VK_SNAPSHOT:
      return true;
    default:
      return false;
  }
}

// As a user's key: the input queue of the window in front gets it, with the scan code
// that games read instead of the virtual key.
void SendKey(uint32_t key, bool down) {
  INPUT input = {};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = static_cast<WORD>(key);
  input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC));
  input.ki.dwFlags = (down ? 0 : KEYEVENTF_KEYUP) | (IsExtendedKey(key) ? KEYEVENTF_EXTENDEDKEY : 0);
  input.ki.dwExtraInfo = OwnInputSignature;
  SendInput(1, &input, sizeof(input));
}

class StepPlatform final : public SequencePlatform {
 public:
  StepPlatform() : clock_(SequenceEngine.stopSignal) {}

  int64_t NowMicroseconds() noexcept override { return clock_.Now(); }
  bool WaitUntil(int64_t deadline, bool interruptible) noexcept override {
    return clock_.WaitUntil(deadline, interruptible);
  }
  void Press(MouseButton button) noexcept override {
    Held([button](SequenceHeld& held) {
      if (held.buttons[button]) return;
      SendMouseButton(button, true);
      held.buttons[button] = true;
    });
  }
  void Release(MouseButton button) noexcept override {
    Held([button](SequenceHeld& held) {
      if (!held.buttons[button]) return;
      SendMouseButton(button, false);
      held.buttons[button] = false;
    });
  }
  void KeyDown(uint32_t key) noexcept override {
    Held([key](SequenceHeld& held) {
      if (held.keyCount == static_cast<int>(std::size(held.keys))) return;
      SendKey(key, true);
      held.keys[held.keyCount++] = key;
    });
  }
  void KeyUp(uint32_t key) noexcept override {
    Held([key](SequenceHeld& held) {
      for (int i = 0; i < held.keyCount; ++i) {
        if (held.keys[i] != key) continue;
        SendKey(key, false);
        held.keys[i] = held.keys[--held.keyCount];
        return;
      }
    });
  }
  void MoveCursor(int32_t x, int32_t y) noexcept override { PutCursor(x, y); }
  uint32_t Random() noexcept override { return clock_.Random(); }

 private:
  // A press after the end of the process has released everything would stay down.
  template <typename Change>
  static void Held(Change&& change) {
    EnterCriticalSection(&SequenceEngine.pressLock);
    if (!SequenceEngine.ended) change(sequenceHeld);
    LeaveCriticalSection(&SequenceEngine.pressLock);
  }
  DeadlineClock clock_;
};

void RunButton(ButtonEngine& engine) {
  MousePlatform platform(engine);
  RunClickThread(engine.button, platform);
}

// The settings the start key finds (UI thread), and the copy the sequence's thread
// reads while it runs: the copy is taken only by a start that wakes the thread.
SequenceValues sequence;
SequenceValues runningSequence;

void RunSteps(ButtonEngine&) {
  StepPlatform platform;
  RunSequence(SequenceEngine.button, runningSequence, platform);
}

DWORD WINAPI EngineThread(LPVOID parameter) {
  ButtonEngine& engine = *static_cast<ButtonEngine*>(parameter);
  // The thread spends nearly all its time waiting; when it wakes, it is on time.
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_HIGHEST);
  while (WaitForSingleObject(engine.startSignal, INFINITE) == WAIT_OBJECT_0) {
    // The finest timer resolution while this thread clicks; the system counts the
    // requests, so the last thread to stop gives it back.
    timeBeginPeriod(1);
    engine.run(engine);
    timeEndPeriod(1);
  }
  return 0;
}

// The engine's thread, made now unless it is there already. Only the UI thread asks.
bool HasThread(ButtonEngine& engine) {
  if (engine.thread == nullptr && engine.startSignal != nullptr) {
    engine.thread = CreateThread(nullptr, 0, EngineThread, &engine, 0, nullptr);
  }
  return engine.thread != nullptr;
}

void Start(ButtonEngine& engine) {
  if (IsClicking(engine.button)) return;
  if (engine.stopSignal != nullptr) ResetEvent(engine.stopSignal);
  // False: the thread is still in the run of an earlier start and carries on.
  if (!BeginClicking(engine.button)) return;
  if (!HasThread(engine) || !SetEvent(engine.startSignal)) ClickThreadNotCreated(engine.button);
}

void Stop(ButtonEngine& engine) {
  EnterCriticalSection(&engine.lock);
  engine.button.running.store(false);
  LeaveCriticalSection(&engine.lock);
  if (engine.stopSignal != nullptr) SetEvent(engine.stopSignal);
}

// At process end the threads are cut off wherever they are. Leaving the program
// while it clicks (say with the mouse, on "退出") would often catch a thread between
// a press and its release and leave the button held down for the whole system, so
// the end of the process first lets the threads finish the clicks they are in.
struct ReleaseButtonsAtExit {
  ~ReleaseButtonsAtExit() {
    if (!clickLocksReady) return;
    StopClicking();
    if (WaitForClickThreads(500)) return;
    // A thread still in a long hold is cut off before its release; it is sent here.
    for (ButtonEngine* engine : {&LeftEngine, &RightEngine}) {
      EnterCriticalSection(&engine->pressLock);
      engine->ended = true;
      if (engine->pressed) mouse_event(engine->releaseEvent, 0, 0, 0, OwnInputSignature);
      engine->pressed = false;
      LeaveCriticalSection(&engine->pressLock);
    }
    EnterCriticalSection(&SequenceEngine.pressLock);
    SequenceEngine.ended = true;
    for (int button = LeftButton; button <= MiddleButton; ++button) {
      if (sequenceHeld.buttons[button]) SendMouseButton(static_cast<MouseButton>(button), false);
    }
    while (sequenceHeld.keyCount > 0) SendKey(sequenceHeld.keys[--sequenceHeld.keyCount], false);
    sequenceHeld = SequenceHeld{};
    LeaveCriticalSection(&SequenceEngine.pressLock);
  }
} releaseButtonsAtExit;

TriggerState triggers;  // UI thread only
// Fast enough that a released key stops clicking within a click or two, slow enough
// to cost nothing while the key is held.
constexpr UINT HeldKeyPollMs = 15;
constexpr UINT_PTR HeldKeyTimerId = 0x5157;
// Under Wine a thread's GetAsyncKeyState answers "up" from its own copy of the key
// states for up to 50 ms of its coarse tick, and the window thread renews that copy
// whenever it passes on input itself: with a low-level keyboard hook in the session,
// the copy can be taken before the press reached the system. So an "up" counts once
// the key has been seen down since its press, or the press is older than that.
constexpr DWORD StaleKeyStateMs = 100;
DWORD heldKeyPressed = 0;  // GetTickCount() at the last press of the held key
bool heldKeySeenDown = false;

bool HoldToClick() { return AdvancedSettings.holdToClick.load() == 1; }

// From the start on, a hand on the mouse stops everything; the distance is measured
// from where the cursor is now.
void WatchHand() {
  const int32_t threshold = AdvancedSettings.stopOnMouseMove.load();
  POINT cursor;
  if (threshold <= 0 || !GetCursorPos(&cursor)) return;
  SetMoveReference(cursor.x, cursor.y);
  SetMoveWatch(HotKeyWindow(), threshold);
}

// A hot-key gives no message for the release, so its key's state is polled while it
// is down; GetAsyncKeyState sees it whichever window has the focus.
void CALLBACK WatchHeldKey(HWND window, UINT, UINT_PTR id, DWORD) {
  const UINT key = triggers.held();
  if (key != 0 && (GetAsyncKeyState(static_cast<int>(key)) & 0x8000) != 0) {
    heldKeySeenDown = true;
    return;
  }
  if (key != 0 && !heldKeySeenDown && GetTickCount() - heldKeyPressed < StaleKeyStateMs) return;
  KillTimer(window, id);
  if (triggers.OnRelease(key, HoldToClick())) StopClicking();
}

// A fixed point on no monitor (one unplugged since it was picked, or a typing slip)
// would put the clicks somewhere the user never chose, so that button does not start.
bool PointOnNoMonitor(const ButtonEngine& engine) {
  const ClickPoint point = UnpackPoint(engine.button.tuning->point.load());
  const int32_t method = engine.button.method.load();
  if (!point.set || (method != SingleClick && method != DoubleClick)) return false;
  return MonitorFromPoint(POINT{point.x, point.y}, MONITOR_DEFAULTTONULL) == nullptr;
}

}  // namespace

void InitializeClickLocks() {
  InitializeCriticalSection(&LeftLock);
  InitializeCriticalSection(&RightLock);
  InitializeCriticalSection(&SequenceLock);
  for (ButtonEngine* engine : {&LeftEngine, &RightEngine, &SequenceEngine}) {
    InitializeCriticalSection(&engine->pressLock);
  }
  // Without a signal a stop still ends the threads, only after their pause.
  leftStopSignal = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  rightStopSignal = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  sequenceStopSignal = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  for (ButtonEngine* engine : {&LeftEngine, &RightEngine, &SequenceEngine}) {
    engine->startSignal = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  }
  clickLocksReady = true;
}

void SetSequence(const SequenceValues& values) {
  // Its thread reads its own copy, which must not change under it: a sequence that
  // runs stops, and the new steps run from the next start.
  if (SequenceEngine.button.threadAlive.load()) Stop(SequenceEngine);
  sequence = values;
}
const SequenceValues& CurrentSequence() { return sequence; }

void StopClicking() {
  Stop(LeftEngine);
  Stop(RightEngine);
  Stop(SequenceEngine);
  SetMoveWatch(nullptr, 0);
}

bool WaitForClickThreads(DWORD timeoutMs) {
  const DWORD begun = GetTickCount();
  while (LeftEngine.button.threadAlive.load() || RightEngine.button.threadAlive.load() ||
         SequenceEngine.button.threadAlive.load()) {
    if (GetTickCount() - begun >= timeoutMs) return false;
    Sleep(1);
  }
  return true;
}

uint32_t OnTriggerPressed(TriggerRole role, UINT key, bool polled) {
  bool clicking = IsClicking(SequenceEngine.button);
  for (const ButtonEngine* engine : {&LeftEngine, &RightEngine}) {
    const int32_t method = engine->button.method.load();
    clicking = clicking || (IsClicking(engine->button) && (method == SingleClick || method == DoubleClick));
  }
  const TriggerDecision decision = triggers.OnPress(role, key, polled, clicking, HoldToClick());
  if (role != StopRole) {
    HWND window = HotKeyWindow();
    heldKeyPressed = GetTickCount();
    heldKeySeenDown = false;
    if (window != nullptr && polled) SetTimer(window, HeldKeyTimerId, HeldKeyPollMs, WatchHeldKey);
    if (window != nullptr && !polled) KillTimer(window, HeldKeyTimerId);
  }
  if (decision.action == TriggerDecision::Stop) StopClicking();
  if (decision.action != TriggerDecision::Start) return 0;
  // A held key's repeats would find the cursor again and again, and a slow hand would
  // never get far enough.
  if (!decision.repeated) WatchHand();
  if (SequenceRuns(sequence)) {
    // A repeat leaves alone a sequence whose rounds ran out.
    if (IsClicking(SequenceEngine.button) || (decision.repeated && SequenceRunning.load())) return 0;
    // A thread that carries on for this start reads the copy it began with.
    if (!SequenceEngine.button.threadAlive.load()) runningSequence = sequence;
    Start(SequenceEngine);
    return 0;
  }
  uint32_t offScreen = 0;
  for (ButtonEngine* engine : {&LeftEngine, &RightEngine}) {
    // A repeat leaves alone a button whose clicks ran out, and tells nothing again.
    if (IsClicking(engine->button) || (decision.repeated && engine->button.running.load())) continue;
    if (PointOnNoMonitor(*engine)) {
      if (!decision.repeated) offScreen |= engine->offScreenBit;
      continue;
    }
    Start(*engine);
  }
  return offScreen;
}

uint32_t OnHotKey(WPARAM id) {
  UINT key = 0;
  const TriggerRole role = HotKeyRole(id, key);
  return OnTriggerPressed(role, key, true);
}

uint32_t OnSideButton(WPARAM role, LPARAM data) {
  const UINT key = LOWORD(data);
  if (HIWORD(data) != 0) return OnTriggerPressed(static_cast<TriggerRole>(role), key, false);
  if (triggers.OnRelease(key, HoldToClick())) StopClicking();
  return 0;
}
