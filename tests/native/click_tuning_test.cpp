// A click thread with its button's tuning: hold, count, spread pauses and fixed point,
// on a fake clock, mouse and random source.
#include <gtest/gtest.h>

#include <string>

#include "clicker/click_cycle.h"
#include "clicker/click_settings.h"

namespace {

// One button and its platform. Time moves only in waits; a stop at stopMs ends the
// pause it falls in. The random source gives the lowest and highest draws in turn.
struct Rig final : ClickPlatform {
  std::atomic<bool> running{false};
  std::atomic<int32_t> method{SingleClick}, interval{1000};
  ClickTuning tuning;
  ClickButton button{running, method, interval, &tuning};
  int64_t stop = INT64_MAX, now = 0;
  uint32_t draws = 0;
  std::string events;

  int64_t NowMicroseconds() noexcept override { return now; }
  bool WaitUntil(int64_t deadline, bool interruptible) noexcept override {
    if (interruptible && deadline >= stop) running = false;
    now = std::max(now, interruptible ? std::min(deadline, stop) : deadline);
    return running;
  }
  void Press() noexcept override { events += "D" + std::to_string(now / 1000) + " "; }
  void Release() noexcept override { events += "U" + std::to_string(now / 1000) + " "; }
  void MoveCursor(int32_t x, int32_t y) noexcept override {
    events += std::to_string(x) + "," + std::to_string(y) + " ";
  }
  uint32_t Random() noexcept override { return draws++ % 2 == 0 ? 0 : 0xFFFFFFFFu; }
};

struct TuningCase {
  const char* name;
  int32_t method, interval, hold, count, jitter;
  ClickPoint point;
  std::string events;  // "D<ms>" press, "U<ms>" release, "x,y" cursor put there
  int64_t endMs;       // a stop comes then, unless a count ends the clicks first
};

// clang-format off
const TuningCase kCases[] = {
    {"a press is held for its hold time, the pause follows the release",
     SingleClick, 1000, 200, 0, 0, {}, "D0 U200 D1200 U1400 D2400 U2600 ", 2600},
    {"a double click holds each press, the gap between them stays 50 ms",
     DoubleClick, 300, 100, 0, 0, {}, "D0 U100 D150 U250 D550 U650 D700 U800 ", 1000},
    {"the count runs out: the last release, then the end, without the pause",
     SingleClick, 100, 50, 3, 0, {}, "D0 U50 D150 U200 D300 U350 ", 350},
    {"a double click counts as one click",
     DoubleClick, 100, 50, 2, 0, {}, "D0 U50 D100 U150 D250 U300 D350 U400 ", 400},
    {"the cursor is put on the point before each press",
     DoubleClick, 100, 50, 0, 0, {true, -5, 7}, "-5,7 D0 U50 -5,7 D100 U150 -5,7 D250 U300 -5,7 D350 U400 ", 450},
    {"each pause is drawn anew within the spread",
     SingleClick, 100, 50, 0, 20, {}, "D0 U50 D130 U180 D300 U350 D430 U480 ", 600},
};
// clang-format on

TEST(ClickTuning, ShapesTheCyclesAndEveryStartCountsFromZero) {
  for (const TuningCase& c : kCases) {
    Rig rig;
    rig.method = c.method;
    rig.interval = c.interval;
    rig.tuning.hold = c.hold;
    rig.tuning.count = c.count;
    rig.tuning.jitter = c.jitter;
    rig.tuning.point = PackPoint(c.point);
    for (int start = 0; start < (c.count > 0 ? 2 : 1); ++start) {
      rig.events.clear();
      rig.now = 0;
      if (c.count == 0) rig.stop = c.endMs * 1000;
      ASSERT_TRUE(BeginClicking(rig.button)) << c.name << ": the earlier thread has ended";
      RunClickThread(rig.button, rig);
      EXPECT_EQ(rig.events, c.events) << c.name;
      EXPECT_EQ(rig.now, c.endMs * 1000) << c.name;
      EXPECT_FALSE(IsClicking(rig.button)) << c.name;
    }
  }
}

TEST(JitteredPause, SpreadsOverTheWholeRangeWithTheIntervalAsItsMean) {
  constexpr int64_t pause = 100000;
  for (const int32_t jitter : {0, 1, 20, 50}) {
    const int64_t spread = pause * jitter / 100;
    EXPECT_EQ(JitteredPause(pause, jitter, 0), pause - spread) << jitter;
    EXPECT_EQ(JitteredPause(pause, jitter, 0xFFFFFFFFu), pause + spread) << jitter;
    // The middles of 4096 equal slices of the random range stand for all of it.
    int64_t sum = 0;
    for (uint32_t i = 0; i < 4096; ++i) sum += JitteredPause(pause, jitter, (i << 20) + (1u << 19));
    EXPECT_NEAR(sum / 4096.0, pause, 1.0) << jitter;
  }
}

}  // namespace
