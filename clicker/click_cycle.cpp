#include "clicker/click_cycle.h"

#include "clicker/click_settings.h"

namespace {

// Called with the flag found clear. A start may have come in between: if it saw this
// thread alive it created no other, and this thread must carry on; if it saw it gone
// it created a new one, and this thread must end. The exchange settles which.
bool CarryOnForALateStart(ClickButton& button) noexcept {
  button.threadAlive.store(false);
  return button.running.load() && !button.threadAlive.exchange(true);
}

bool KeepClicking(ClickButton& button) noexcept { return button.running.load() || CarryOnForALateStart(button); }

// Clicks of one cycle from its start; returns when they end.
int64_t Click(int32_t method, int64_t cycleStart, ClickPlatform& platform) noexcept {
  switch (method) {
    case SingleClick:
      platform.Press();
      platform.WaitUntil(cycleStart + ClickHoldMicroseconds, false);
      platform.Release();
      return cycleStart + ClickHoldMicroseconds;
    case DoubleClick:
      platform.Press();
      platform.WaitUntil(cycleStart + ClickHoldMicroseconds, false);
      platform.Release();
      platform.WaitUntil(cycleStart + 2 * ClickHoldMicroseconds, false);
      platform.Press();
      platform.WaitUntil(cycleStart + 3 * ClickHoldMicroseconds, false);
      platform.Release();
      return cycleStart + 3 * ClickHoldMicroseconds;
    default:
      return cycleStart;
  }
}

int64_t PauseAfter(int32_t method, int32_t intervalMs) noexcept {
  // A negative interval (only a hand-edited file holds one) would otherwise wait for
  // weeks; it counts as none.
  const int64_t pause = intervalMs > 0 ? int64_t{intervalMs} * 1000 : 0;
  const bool clicks = method == SingleClick || method == DoubleClick;
  return pause == 0 && !clicks ? IdleStepMicroseconds : pause;
}

}  // namespace

bool BeginClicking(ClickButton& button) noexcept {
  button.running.store(true);
  return !button.threadAlive.exchange(true);
}

void ClickThreadNotCreated(ClickButton& button) noexcept { button.threadAlive.store(false); }

void RunClickThread(ClickButton& button, ClickPlatform& platform) noexcept {
  int64_t cycleStart = platform.NowMicroseconds();
  while (KeepClicking(button)) {
    const int64_t now = platform.NowMicroseconds();
    if (now - cycleStart > ScheduleSlipMicroseconds) cycleStart = now;

    const int32_t method = button.method.load();
    const int64_t clicksEnd = Click(method, cycleStart, platform);
    const int64_t nextCycle = clicksEnd + PauseAfter(method, button.interval.load());
    if (platform.WaitUntil(nextCycle, true)) {
      cycleStart = nextCycle;
    } else {
      // Stopped. Should a start have followed, clicking begins again at once.
      cycleStart = platform.NowMicroseconds();
    }
  }
}
