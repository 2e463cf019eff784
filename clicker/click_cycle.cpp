#include "clicker/click_cycle.h"

#include "clicker/click_settings.h"

namespace {

bool IsActive(const ClickButton& button) noexcept {
  return button.running.load() && button.spentStart.load() != button.starts.load();
}

// Called with the button found idle. A start may have come in between: if it saw
// this thread alive it created no other, and this thread must carry on; if it saw it
// gone it created a new one, and this thread must end. The exchange settles which.
bool CarryOnForALateStart(ClickButton& button) noexcept {
  button.threadAlive.store(false);
  return IsActive(button) && !button.threadAlive.exchange(true);
}

// What one cycle reads from the button's tuning.
struct CycleTuning {
  int64_t hold = ClickHoldMicroseconds;
  ClickPoint point;
};

CycleTuning TuningOf(const ClickButton& button) noexcept {
  CycleTuning tuning;
  if (button.tuning == nullptr) return tuning;
  const int32_t holdMs = button.tuning->hold.load();
  tuning.hold = int64_t{holdMs < MinHoldMs ? MinHoldMs : holdMs} * 1000;
  tuning.point = UnpackPoint(button.tuning->point.load());
  return tuning;
}

void PressAt(const ClickPoint& point, ClickPlatform& platform) noexcept {
  if (point.set) platform.MoveCursor(point.x, point.y);
  platform.Press();
}

// Clicks of one cycle from its start; returns when they end.
int64_t Click(int32_t method, int64_t cycleStart, const CycleTuning& tuning, ClickPlatform& platform) noexcept {
  const int64_t hold = tuning.hold;
  switch (method) {
    case SingleClick:
      PressAt(tuning.point, platform);
      platform.WaitUntil(cycleStart + hold, false);
      platform.Release();
      return cycleStart + hold;
    case DoubleClick:
      PressAt(tuning.point, platform);
      platform.WaitUntil(cycleStart + hold, false);
      platform.Release();
      platform.WaitUntil(cycleStart + hold + ClickHoldMicroseconds, false);
      PressAt(tuning.point, platform);
      platform.WaitUntil(cycleStart + 2 * hold + ClickHoldMicroseconds, false);
      platform.Release();
      return cycleStart + 2 * hold + ClickHoldMicroseconds;
    default:
      return cycleStart;
  }
}

bool Clicks(int32_t method) noexcept { return method == SingleClick || method == DoubleClick; }

int64_t PauseAfter(const ClickButton& button, int32_t method, ClickPlatform& platform) noexcept {
  // A negative interval (only a hand-edited file holds one) would otherwise wait for
  // weeks; it counts as none.
  const int32_t intervalMs = button.interval.load();
  const int64_t pause = intervalMs > 0 ? int64_t{intervalMs} * 1000 : 0;
  if (pause == 0) return Clicks(method) ? 0 : IdleStepMicroseconds;
  const int32_t jitter = button.tuning != nullptr ? button.tuning->jitter.load() : 0;
  return jitter > 0 ? JitteredPause(pause, jitter, platform.Random()) : pause;
}

}  // namespace

bool IsClicking(const ClickButton& button) noexcept { return IsActive(button); }

bool KeepClicking(ClickButton& button) noexcept { return IsActive(button) || CarryOnForALateStart(button); }

bool BeginClicking(ClickButton& button) noexcept {
  button.starts.fetch_add(1);
  button.running.store(true);
  return !button.threadAlive.exchange(true);
}

void ClickThreadNotCreated(ClickButton& button) noexcept { button.threadAlive.store(false); }

int64_t JitteredPause(int64_t pause, int32_t jitterPercent, uint32_t random) noexcept {
  const int32_t percent = jitterPercent < 0 ? 0 : jitterPercent > 100 ? 100 : jitterPercent;
  const int64_t spread = pause * percent / 100;
  // random/2^32 scaled onto the 2*spread+1 whole microseconds of the range.
  return pause - spread + static_cast<int64_t>((uint64_t{random} * static_cast<uint64_t>(2 * spread + 1)) >> 32);
}

void RunClickThread(ClickButton& button, ClickPlatform& platform) noexcept {
  int64_t cycleStart = platform.NowMicroseconds();
  uint32_t start = button.starts.load();
  int64_t clicked = 0;
  while (KeepClicking(button)) {
    cycleStart = ScheduleFrom(cycleStart, platform.NowMicroseconds());
    if (button.starts.load() != start) {
      start = button.starts.load();
      clicked = 0;
    }

    const int32_t method = button.method.load();
    const int64_t clicksEnd = Click(method, cycleStart, TuningOf(button), platform);
    if (Clicks(method)) ++clicked;
    const int32_t limit = button.tuning != nullptr ? button.tuning->count.load() : 0;
    if (limit > 0 && clicked >= limit) {
      // Idle until the next start; a start that came during these clicks is a later
      // one and keeps it busy.
      button.spentStart.store(start);
      cycleStart = platform.NowMicroseconds();
      continue;
    }
    const int64_t nextCycle = ScheduleFrom(clicksEnd, platform.NowMicroseconds()) + PauseAfter(button, method, platform);
    if (platform.WaitUntil(nextCycle, true)) {
      cycleStart = nextCycle;
    } else {
      // Stopped. Should a start have followed, clicking begins again at once.
      cycleStart = platform.NowMicroseconds();
    }
  }
}
