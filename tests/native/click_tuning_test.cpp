// A click thread with its button's tuning: hold, count, spread pauses and fixed point,
// on a fake clock, mouse and random source.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "clicker/click_cycle.h"
#include "clicker/click_settings.h"

namespace {

struct Button {
  std::atomic<bool> running{false};
  std::atomic<int32_t> method{SingleClick};
  std::atomic<int32_t> interval{1000};
  ClickTuning tuning;
  ClickButton button{running, method, interval, &tuning};
};

// Time moves only in waits; the stop comes at stopMs, ending the pause it falls in.
class Fake final : public ClickPlatform {
 public:
  Fake(Button& b, int64_t stopMs, std::vector<uint32_t> randoms) : b_(b), stop_(stopMs * 1000), randoms_(randoms) {}
  int64_t NowMicroseconds() noexcept override { return now; }
  bool WaitUntil(int64_t deadline, bool interruptible) noexcept override {
    if (interruptible && deadline >= stop_) {
      now = std::max(now, stop_);
      b_.running = false;
      return false;
    }
    now = std::max(now, deadline);
    return true;
  }
  void Press() noexcept override { events += "D" + std::to_string(now / 1000) + " "; }
  void Release() noexcept override { events += "U" + std::to_string(now / 1000) + " "; }
  void MoveCursor(int32_t x, int32_t y) noexcept override {
    events += std::to_string(x) + "," + std::to_string(y) + " ";
  }
  uint32_t Random() noexcept override { return randoms_[next_++ % randoms_.size()]; }
  int64_t now = 0;
  std::string events;

 private:
  Button& b_;
  int64_t stop_;
  std::vector<uint32_t> randoms_;
  size_t next_ = 0;
};

struct TuningCase {
  const char* name;
  int32_t method, interval, hold, count, jitter;
  ClickPoint point;
  std::string events;  // "D<ms>" press, "U<ms>" release, "x,y" cursor put there
  int64_t endMs;
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

TEST(ClickTuning, ShapesTheCycles) {
  for (const TuningCase& c : kCases) {
    Button b;
    b.method = c.method;
    b.interval = c.interval;
    b.tuning.hold = c.hold;
    b.tuning.count = c.count;
    b.tuning.jitter = c.jitter;
    b.tuning.point = PackPoint(c.point);
    Fake fake(b, c.count > 0 ? 100000 : c.endMs, {0u, 0xFFFFFFFFu});
    ASSERT_TRUE(BeginClicking(b.button));
    RunClickThread(b.button, fake);
    EXPECT_EQ(fake.events, c.events) << c.name;
    EXPECT_EQ(fake.now, c.endMs * 1000) << c.name;
    EXPECT_FALSE(IsClicking(b.button)) << c.name;
  }
}

TEST(ClickTuning, EveryStartCountsFromZero) {
  Button b;
  b.tuning.count = 2;
  for (int start = 0; start < 2; ++start) {
    Fake fake(b, 100000, {0u});
    ASSERT_TRUE(BeginClicking(b.button)) << "the spent thread has ended, so a start needs a new one";
    RunClickThread(b.button, fake);
    EXPECT_EQ(fake.events, "D0 U50 D1050 U1100 ");
  }
}

TEST(JitteredPause, SpreadsOverTheWholeRangeWithTheIntervalAsItsMean) {
  for (const int32_t jitter : {0, 1, 20, 50}) {
    const int64_t pause = 100000, spread = pause * jitter / 100;
    EXPECT_EQ(JitteredPause(pause, jitter, 0), pause - spread) << jitter;
    EXPECT_EQ(JitteredPause(pause, jitter, 0xFFFFFFFFu), pause + spread) << jitter;
    // Draws at the middles of equal slices of the random range stand for all of them.
    const int draws = 4096;
    const uint32_t slice = 0x100000000ull / draws;
    int64_t sum = 0;
    for (int i = 0; i < draws; ++i) {
      const int64_t drawn = JitteredPause(pause, jitter, static_cast<uint32_t>(i) * slice + slice / 2);
      EXPECT_TRUE(drawn >= pause - spread && drawn <= pause + spread) << jitter << ": " << drawn;
      sum += drawn;
    }
    EXPECT_NEAR(static_cast<double>(sum) / draws, pause, 1.0) << jitter;
  }
}

}  // namespace
