// What one click thread does, cycle after cycle, apart from the platform: the
// schedule of presses, releases and pauses, the stop, and the rule that keeps one
// button to one thread. No Win32 here; the engine supplies the clock, the waits and
// the mouse.
#pragma once

#include <atomic>
#include <cstdint>

#include "clicker/advanced_settings.h"

// A press is held this long unless the button's tuning says otherwise; the two clicks
// of a double click are always this far apart.
constexpr int64_t ClickHoldMicroseconds = 50000;

// A cycle that starts, or a release that comes, later than this (the machine stalled)
// moves the rest of the schedule with it: lost time is not made up with a burst of
// cut-short clicks, nor a press right on the heels of a late release. A smaller delay
// is made up within the cycle, so it costs no drift, and a press is still held, and a
// pause still waited, for all but that much of its time.
constexpr int64_t ScheduleSlipMicroseconds = ClickHoldMicroseconds / 2;

// Where the schedule goes on from: the planned time, or now once the machine has
// stalled past it by more than the slip.
constexpr int64_t ScheduleFrom(int64_t planned, int64_t now) noexcept {
  return now - planned > ScheduleSlipMicroseconds ? now : planned;
}

// A disabled button with interval 0 has nothing to wait for; it looks at its flag and
// its settings this often instead of spinning a core.
constexpr int64_t IdleStepMicroseconds = 1000;

// The clock, the waits and the button of one click thread.
class ClickPlatform {
 public:
  // A monotonic clock.
  virtual int64_t NowMicroseconds() noexcept = 0;
  // Returns true at the deadline. An interruptible wait also returns, with false, as
  // soon as a stop has been signalled; the waits between a press and its release
  // are never interruptible.
  virtual bool WaitUntil(int64_t deadlineMicroseconds, bool interruptible) noexcept = 0;
  virtual void Press() noexcept = 0;
  virtual void Release() noexcept = 0;
  // Puts the cursor on a fixed point right before a press. Only a button with a point
  // in its tuning asks; a platform without a cursor has nothing to move.
  virtual void MoveCursor(int32_t x, int32_t y) noexcept {}
  // Uniform over 32 bits, drawn once per pause, and only while the pauses spread.
  virtual uint32_t Random() noexcept { return 0x80000000u; }

 protected:
  ~ClickPlatform() = default;
};

// One mouse button: its running flag and settings, and whether a thread clicks it.
struct ClickButton {
  std::atomic<bool>& running;  // LeftRunning or RightRunning: set by a start, cleared by a stop
  const std::atomic<int32_t>& method;
  const std::atomic<int32_t>& interval;  // milliseconds
  // Hold, count, spread and point; none: as the fields' defaults say.
  const ClickTuning* tuning = nullptr;
  // Counts the starts, so that a thread that carries on for a later start counts its
  // clicks from zero again.
  std::atomic<uint32_t> starts{0};
  // The start whose clicks ran out; while it is the latest one the button is idle
  // although its flag stays set, and the next start begins it again.
  std::atomic<uint32_t> spentStart{~0u};
  // True from the start that sets the button's thread going until that thread has
  // decided to end its run (and wait for a start again); a start that finds it true
  // relies on that run.
  std::atomic<bool> threadAlive{false};
};

// Whether the button clicks now: its flag is set and its clicks have not run out.
bool IsClicking(const ClickButton& button) noexcept;

// The start path of one button. Call only while it is not clicking; sets the flag.
// True when the caller must set the thread going; false when the thread has not ended
// the run of an earlier start yet and carries on instead, so one button never has two.
bool BeginClicking(ClickButton& button) noexcept;

// The start path, when the thread it had to set going could not be made or woken. The
// flag stays set, so later starts try nothing until a stop.
void ClickThreadNotCreated(ClickButton& button) noexcept;

// Asked by a thread body before each run and once it has stopped or run out: true
// while the button clicks, and also when a start came in just as the thread was
// about to end and relies on it; false when the run must end now, and from then on a
// start sets the thread going again.
bool KeepClicking(ClickButton& button) noexcept;

// The body of a click thread: cycles of clicks by the button's method, each followed
// by its interval, on deadlines from the thread's start so that waking late never
// accumulates. Ends once the flag is found clear after the clicks of a cycle, or
// right after the last click a count allows; a stop cuts the interval short but
// never a click.
void RunClickThread(ClickButton& button, ClickPlatform& platform) noexcept;

// One pause, drawn from random (uniform over 32 bits) within pause × (1 ± jitter/100),
// so that its average over all draws is the pause itself.
int64_t JitteredPause(int64_t pauseMicroseconds, int32_t jitterPercent, uint32_t random) noexcept;
