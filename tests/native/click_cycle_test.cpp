// The click thread's schedule, tuning, stop and one-thread rule, on a fake clock, mouse and random source.
#include "clicker/click_cycle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "clicker/click_settings.h"

namespace {

constexpr int64_t Ms = 1000;
enum Action { Stop, Start, SetMethod, SetInterval, SetHold, SetCount, SetJitter, SetPoint };
using Step = std::tuple<int64_t, Action, int64_t>;  // at (ms), what, value; settings at 0 come before the start

// Time moves only when the thread waits; each scripted step happens at its time, as the
// UI thread would do it, in the middle of the wait that spans it. The random source
// gives the lowest and the highest draw in turn.
struct FakePlatform final : ClickPlatform {
  std::atomic<bool> running{false};
  std::atomic<int32_t> method{SingleClick}, interval{1000};
  ClickTuning tuning;
  ClickButton button{running, method, interval, &tuning};
  std::multimap<int64_t, Step> script;
  int64_t lateAt = 150 * Ms, lateBy = 0;  // the wait ending at lateAt wakes lateBy late
  int64_t now = 0;
  bool pressed = false, stopSignalled = false;
  int waits = 0, threadsCreated = 0, draws = 0;
  std::string events;  // "D<ms>" press, "U<ms>" release, "x,y" cursor put there

  int64_t NowMicroseconds() noexcept override { return now; }
  bool WaitUntil(int64_t deadline, bool interruptible) noexcept override {
    if (++waits > 1000000) running = false;  // a runaway loop ends the test instead of hanging it
    if (interruptible && stopSignalled) return false;
    const int64_t wake = std::max(now, deadline + (deadline == lateAt ? lateBy : 0));
    // Steps of one instant all happen before the thread runs on.
    bool interrupted = false;
    while (!script.empty() && script.begin()->first <= wake && (!interrupted || script.begin()->first == now)) {
      now = std::max(now, script.begin()->first);
      Perform(script.begin()->second);
      script.erase(script.begin());
      interrupted = interrupted || (interruptible && stopSignalled);
    }
    if (!interrupted) now = wake;
    return !interrupted;
  }
  void Press() noexcept override { Button(true, "D"); }
  void Release() noexcept override { Button(false, "U"); }
  void MoveCursor(int32_t x, int32_t y) noexcept override {
    events += std::to_string(x) + "," + std::to_string(y) + " ";
  }
  uint32_t Random() noexcept override { return draws++ % 2 == 0 ? 0 : 0xFFFFFFFFu; }
  void Button(bool down, const char* event) {
    if (pressed == down) ADD_FAILURE() << "a press without its release, or the reverse, at " << now;
    pressed = down;
    events += event + std::to_string(now / Ms) + " ";
  }
  // What the engine's start and stop paths and a save do, with the stop signal as its event.
  void Perform(const Step& step) {
    const auto [at, action, value] = step;
    if (action == Stop) running = false, stopSignalled = true;
    if (action == Start && !running) stopSignalled = false, threadsCreated += BeginClicking(button);
    std::atomic<int32_t>* const settings[] = {&method, &interval, &tuning.hold, &tuning.count, &tuning.jitter};
    if (action >= SetMethod && action < SetPoint) *settings[action - SetMethod] = static_cast<int32_t>(value);
    if (action == SetPoint) tuning.point = value;
  }
};

struct TimelineCase {
  const char* name;
  int32_t method, interval;
  std::vector<Step> script;
  std::string events;
  int64_t endMs;       // when the thread ends
  int64_t lateMs = 0, lateAtMs = 150;  // how late the wait that should end at lateAtMs wakes up
};

// clang-format off
const TimelineCase kTimelines[] = {
    {"single click every 1000 ms: a cycle of 1050 ms; the stop cuts the pause short", SingleClick, 1000,
     {{2000, Stop, 0}}, "D0 U50 D1050 U1100 ", 2000},
    {"double click with interval 200: a cycle of 350 ms", DoubleClick, 200, {{1000, Stop, 0}},
     "D0 U50 D100 U150 D350 U400 D450 U500 D700 U750 D800 U850 ", 1000},
    {"a stop in a double click lets it finish, then ends without the pause", DoubleClick, 200, {{420, Stop, 0}},
     "D0 U50 D100 U150 D350 U400 D450 U500 ", 500},
    {"a stop in a press lets the release come on time", SingleClick, 100, {{170, Stop, 0}}, "D0 U50 D150 U200 ", 200},
    {"a disabled button sends nothing and waits its interval", Disabled, 300, {{1000, Stop, 0}}, "", 1000},
    {"a disabled button with interval 0 idles instead of spinning", Disabled, 0, {{10, Stop, 0}}, "", 10},
    {"a save changes the method from the next cycle", SingleClick, 100, {{120, SetMethod, DoubleClick}, {420, Stop, 0}},
     "D0 U50 D150 U200 D250 U300 D400 U450 D500 U550 ", 550},
    {"a save changes the interval from the pause it is read for", SingleClick, 100,
     {{20, SetInterval, 300}, {800, Stop, 0}}, "D0 U50 D350 U400 D700 U750 ", 800},
    {"a save that enables a disabled button clicks from its next cycle", Disabled, 200,
     {{50, SetMethod, SingleClick}, {500, Stop, 0}}, "D200 U250 D450 U500 ", 500},
    {"a stop then a start within one cycle: the same thread, on schedule", SingleClick, 1000,
     {{20, Stop, 0}, {30, Start, 0}, {1500, Stop, 0}}, "D0 U50 D1050 U1100 ", 1500},
    {"a start right after a stop that cut the pause short: a new cycle at once", SingleClick, 1000,
     {{300, Stop, 0}, {300, Start, 0}, {400, Stop, 0}}, "D0 U50 D300 U350 ", 400},
    {"a negative interval (hand-edited) counts as none, not as weeks", SingleClick, -5, {{120, Stop, 0}},
     "D0 U50 D50 U100 D100 U150 ", 150},
    {"a wake-up 20 ms late is made up within the cycle: no drift", SingleClick, 100, {{700, Stop, 0}},
     "D0 U50 D170 U200 D300 U350 D450 U500 D600 U650 ", 700, 20},
    {"a stall of 300 ms moves the schedule: no burst", SingleClick, 100, {{700, Stop, 0}},
     "D0 U50 D450 U500 D600 U650 ", 700, 300},
    {"a stall of 300 ms in a press: the pause counts from the late release", SingleClick, 100, {{700, Stop, 0}},
     "D0 U350 D450 U500 D600 U650 ", 700, 300, 50},
    {"a press is held for its hold time, then the pause", SingleClick, 1000, {{0, SetHold, 200}, {2600, Stop, 0}},
     "D0 U200 D1200 U1400 D2400 U2600 ", 2600},
    {"a double click counts as one; the count runs out: the last release, the end", DoubleClick, 100,
     {{0, SetCount, 2}}, "D0 U50 D100 U150 D250 U300 D350 U400 ", 400},
    {"a start while the clicks run counts them from zero again", SingleClick, 100,
     {{0, SetCount, 3}, {170, Stop, 0}, {170, Start, 0}}, "D0 U50 D150 U200 D300 U350 D450 U500 D600 U650 ", 650},
    {"each press of a double click held, 50 ms apart, at the point", DoubleClick, 300,
     {{0, SetHold, 100}, {0, SetPoint, PackPoint({true, -5, 7})}, {1000, Stop, 0}},
     "-5,7 D0 U100 -5,7 D150 U250 -5,7 D550 U650 -5,7 D700 U800 ", 1000},
    {"each pause is drawn anew within the spread", SingleClick, 100, {{0, SetJitter, 20}, {600, Stop, 0}},
     "D0 U50 D130 U180 D300 U350 D430 U480 ", 600},
};
// clang-format on

TEST(ClickCycle, FollowsTheScheduleOfEachScenario) {
  for (const TimelineCase& c : kTimelines) {
    FakePlatform p;
    p.method = c.method, p.interval = c.interval, p.lateBy = c.lateMs * Ms, p.lateAt = c.lateAtMs * Ms;
    for (const Step& s : c.script) std::get<0>(s) == 0 ? p.Perform(s) : void(p.script.emplace(std::get<0>(s) * Ms, s));
    ASSERT_TRUE(BeginClicking(p.button)) << c.name;
    RunClickThread(p.button, p);
    EXPECT_EQ(p.events, c.events) << c.name;
    EXPECT_EQ(p.now, c.endMs * Ms) << c.name;
    EXPECT_EQ(p.threadsCreated, 0) << c.name << ": a start while the thread lives needs no second one";
    EXPECT_FALSE(p.button.threadAlive || IsClicking(p.button)) << c.name;
  }
}

TEST(ClickCycle, OneThreadPerButtonAtATime) {
  FakePlatform p;
  ASSERT_TRUE(BeginClicking(p.button));
  p.running = false;
  EXPECT_FALSE(BeginClicking(p.button)) << "the thread has not ended: it carries on";
  ClickThreadNotCreated(p.button);
  p.running = false;
  ASSERT_TRUE(BeginClicking(p.button)) << "a thread that could not be set going holds nothing";
  p.running = false;
  RunClickThread(p.button, p);  // started after the stop: ends at once
  EXPECT_TRUE(p.events.empty());
  EXPECT_TRUE(BeginClicking(p.button)) << "after the run has ended, a start sets the thread going again";
}

TEST(JitteredPause, SpreadsOverTheWholeRangeWithTheIntervalAsItsMean) {
  // jitter, the lowest and the highest pause of 100 ms
  const std::tuple<int32_t, int64_t, int64_t> cases[] = {
      {0, 100000, 100000}, {1, 99000, 101000}, {20, 80000, 120000}, {50, 50000, 150000}};
  for (const auto& [jitter, lowest, highest] : cases) {
    EXPECT_EQ(JitteredPause(100000, jitter, 0), lowest) << jitter;
    EXPECT_EQ(JitteredPause(100000, jitter, 0xFFFFFFFFu), highest) << jitter;
    int64_t sum = 0;  // the middles of 4096 equal slices of the random range stand for all of it
    for (uint32_t i = 0; i < 4096; ++i) sum += JitteredPause(100000, jitter, (i << 20) + (1u << 19));
    EXPECT_NEAR(sum / 4096.0, 100000, 1.0) << jitter;
  }
}

}  // namespace
