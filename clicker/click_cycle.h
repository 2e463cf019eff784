// What one click thread does, cycle after cycle, apart from the platform: the
// schedule of presses, releases and pauses, the stop, and the rule that keeps one
// button to one thread. No Win32 here; the engine supplies the clock, the waits and
// the mouse.
#pragma once

#include <atomic>
#include <cstdint>

// A press is held this long; the two clicks of a double click are this far apart.
constexpr int64_t ClickHoldMicroseconds = 50000;

// A cycle that starts later than this (the machine stalled) moves the rest of the
// schedule with it: lost time is not made up with a burst of cut-short clicks. A
// smaller delay is made up within the cycle, so it costs no drift, and a press is
// still held for at least half its time.
constexpr int64_t ScheduleSlipMicroseconds = ClickHoldMicroseconds / 2;

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

 protected:
  ~ClickPlatform() = default;
};

// One mouse button: its running flag and settings, and whether a thread clicks it.
struct ClickButton {
  std::atomic<bool>& running;  // LeftRunning or RightRunning: set by a start, cleared by a stop
  const std::atomic<int32_t>& method;
  const std::atomic<int32_t>& interval;  // milliseconds
  // True from the start that creates the button's thread until that thread has
  // decided to end; a start that finds it true relies on that thread.
  std::atomic<bool> threadAlive{false};
};

// The start path of one button. Call only while its running flag is clear; sets the
// flag. True when the caller must create a thread; false when the button's earlier
// thread has not ended yet and carries on instead, so one button never has two.
bool BeginClicking(ClickButton& button) noexcept;

// The start path, when the thread it had to create could not be created. The flag
// stays set, so later starts create nothing until a stop.
void ClickThreadNotCreated(ClickButton& button) noexcept;

// The body of a click thread: cycles of clicks by the button's method, each followed
// by its interval, on deadlines from the thread's start so that waking late never
// accumulates. Ends once the flag is found clear after the clicks of a cycle; a stop
// cuts the interval short but never a click.
void RunClickThread(ClickButton& button, ClickPlatform& platform) noexcept;
