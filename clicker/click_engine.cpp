#include "clicker/click_engine.h"

#include <mmsystem.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <utility>

#include "clicker/advanced_settings.h"
#include "clicker/click_cycle.h"
#include "clicker/click_settings.h"
#include "clicker/hotkeys.h"
#include "clicker/trigger_state.h"

std::atomic<bool> LeftRunning{false};
std::atomic<bool> RightRunning{false};
CRITICAL_SECTION LeftLock;
CRITICAL_SECTION RightLock;

namespace {

struct ButtonEngine {
  ClickButton button;
  CRITICAL_SECTION& lock;
  DWORD pressEvent;
  DWORD releaseEvent;
  HANDLE& stopSignal;
  uint32_t offScreenBit;  // in what a start reports
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

ButtonEngine LeftEngine{{LeftRunning, ClickSettings.LeftKey, ClickSettings.LeftInterval, &AdvancedSettings.left},
                        LeftLock,
                        MOUSEEVENTF_LEFTDOWN,
                        MOUSEEVENTF_LEFTUP,
                        leftStopSignal,
                        OffScreenLeft};
ButtonEngine RightEngine{{RightRunning, ClickSettings.RightKey, ClickSettings.RightInterval, &AdvancedSettings.right},
                         RightLock,
                         MOUSEEVENTF_RIGHTDOWN,
                         MOUSEEVENTF_RIGHTUP,
                         rightStopSignal,
                         OffScreenRight};

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

class MousePlatform final : public ClickPlatform {
 public:
  explicit MousePlatform(ButtonEngine& engine) : engine_(engine) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    frequency_ = frequency.QuadPart > 0 ? frequency.QuadPart : 1;
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    random_.seed(static_cast<uint32_t>(counter.QuadPart) ^ GetCurrentThreadId());
  }

  int64_t NowMicroseconds() noexcept override {
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    // In two parts: counter * 1000000 overflows after some weeks of uptime.
    return counter.QuadPart / frequency_ * 1000000 + counter.QuadPart % frequency_ * 1000000 / frequency_;
  }

  // A pause waits on the stop signal, so that a stop ends it at once, but only until
  // shortly before the deadline; the rest is slept precisely. A stop in that last
  // stretch is seen when the pause ends.
  bool WaitUntil(int64_t deadline, bool interruptible) noexcept override {
    for (;;) {
      const int64_t remaining = deadline - NowMicroseconds();
      if (remaining <= 0) return true;
      if (interruptible && engine_.stopSignal != nullptr && remaining >= PreciseStretch + 1000) {
        const int64_t ms = std::min<int64_t>((remaining - PreciseStretch) / 1000, MaxWaitMs);
        const DWORD result = WaitForSingleObject(engine_.stopSignal, static_cast<DWORD>(ms));
        if (result == WAIT_OBJECT_0) return false;
        if (result == WAIT_FAILED) SleepMicroseconds(ms * 1000);
        continue;
      }
      SleepMicroseconds(remaining);
    }
  }

  void Press() noexcept override {
    EnterCriticalSection(&engine_.pressLock);
    if (!engine_.ended) {
      mouse_event(engine_.pressEvent, 0, 0, 0, 0);
      engine_.pressed = true;
    }
    LeaveCriticalSection(&engine_.pressLock);
  }
  void Release() noexcept override {
    EnterCriticalSection(&engine_.pressLock);
    if (engine_.pressed) {
      mouse_event(engine_.releaseEvent, 0, 0, 0, 0);
      engine_.pressed = false;
    }
    LeaveCriticalSection(&engine_.pressLock);
  }
  // The press then lands where the cursor is, at the point.
  void MoveCursor(int32_t x, int32_t y) noexcept override { SetCursorPos(x, y); }
  uint32_t Random() noexcept override { return static_cast<uint32_t>(random_()); }

 private:
  // Longer than the late wake-ups of a busy machine, short enough not to matter to a stop.
  static constexpr int64_t PreciseStretch = 10000;
  // Long pauses are waited in pieces, well below INFINITE.
  static constexpr int64_t MaxWaitMs = 0x7FFFFFFF;
  ButtonEngine& engine_;
  int64_t frequency_;
  std::mt19937 random_;
};

DWORD RunButton(ButtonEngine& engine) {
  // The finest timer resolution while this thread clicks; the last thread to end
  // gives it back, since the system counts the requests.
  timeBeginPeriod(1);
  // The thread spends nearly all its time waiting; when it wakes, it is on time.
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_HIGHEST);
  MousePlatform platform(engine);
  RunClickThread(engine.button, platform);
  timeEndPeriod(1);
  return 0;
}

void Start(ButtonEngine& engine, LPTHREAD_START_ROUTINE procedure) {
  if (IsClicking(engine.button)) return;
  if (engine.stopSignal != nullptr) ResetEvent(engine.stopSignal);
  if (!BeginClicking(engine.button)) return;
  // Nobody waits for the thread or holds it: it ends by itself after a stop.
  HANDLE thread = CreateThread(nullptr, 0, procedure, nullptr, 0, nullptr);
  if (thread == nullptr) {
    ClickThreadNotCreated(engine.button);
    return;
  }
  CloseHandle(thread);
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
      if (engine->pressed) mouse_event(engine->releaseEvent, 0, 0, 0, 0);
      engine->pressed = false;
      LeaveCriticalSection(&engine->pressLock);
    }
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
  InitializeCriticalSection(&LeftEngine.pressLock);
  InitializeCriticalSection(&RightEngine.pressLock);
  // Without a signal a stop still ends the threads, only after their pause.
  leftStopSignal = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  rightStopSignal = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  clickLocksReady = true;
}

DWORD WINAPI LeftClickThread(LPVOID) { return RunButton(LeftEngine); }
DWORD WINAPI RightClickThread(LPVOID) { return RunButton(RightEngine); }

namespace {
SequenceValues sequence;  // the engine runs nothing of it yet
}  // namespace

void SetSequence(const SequenceValues& values) { sequence = values; }
const SequenceValues& CurrentSequence() { return sequence; }

void StopClicking() {
  Stop(LeftEngine);
  Stop(RightEngine);
}

bool WaitForClickThreads(DWORD timeoutMs) {
  const DWORD begun = GetTickCount();
  while (LeftEngine.button.threadAlive.load() || RightEngine.button.threadAlive.load()) {
    if (GetTickCount() - begun >= timeoutMs) return false;
    Sleep(1);
  }
  return true;
}

uint32_t OnTriggerPressed(TriggerRole role, UINT key, bool polled) {
  bool clicking = false;
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
  uint32_t offScreen = 0;
  for (auto [engine, procedure] : {std::pair{&LeftEngine, LeftClickThread}, {&RightEngine, RightClickThread}}) {
    // A repeat leaves alone a button whose clicks ran out, and tells nothing again.
    if (IsClicking(engine->button) || (decision.repeated && engine->button.running.load())) continue;
    if (PointOnNoMonitor(*engine)) {
      if (!decision.repeated) offScreen |= engine->offScreenBit;
      continue;
    }
    Start(*engine, procedure);
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
