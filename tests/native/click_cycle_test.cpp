// The click thread's schedule, stop and one-thread rule, driven by a fake clock and a
// fake mouse.
#include "clicker/click_cycle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "clicker/click_settings.h"

namespace {

constexpr int64_t Ms = 1000;

// One button's shared values, as the engine keeps them.
struct ButtonValues {
  std::atomic<bool> running{false};
  std::atomic<int32_t> method{SingleClick};
  std::atomic<int32_t> interval{1000};
  ClickButton button{running, method, interval};
};

enum class Action { Stop, Start, SetMethod, SetInterval };
struct Step {
  int64_t atMs;
  Action action;
  int32_t value;
};

// Time moves only when the thread waits; scripted steps happen at their times, as
// the UI thread would do them, in the middle of whatever wait spans them.
class FakePlatform final : public ClickPlatform {
 public:
  explicit FakePlatform(ButtonValues& values) : values_(values) {}

  void Script(const std::vector<Step>& steps) {
    for (const Step& s : steps) script_.emplace(s.atMs * Ms, s);
  }
  // How late the wait ending at a deadline wakes up.
  void WakeLate(std::function<int64_t(int64_t)> lateness) { lateness_ = std::move(lateness); }

  int64_t NowMicroseconds() noexcept override { return now_; }

  bool WaitUntil(int64_t deadline, bool interruptible) noexcept override {
    ++waits;
    if (interruptible && pressed_) ADD_FAILURE() << "a wait inside a click could be cut short at " << now_;
    if (waits > 2000000) values_.running = false;  // a runaway loop ends the test instead of hanging it
    if (interruptible && stopSignalled_) return false;
    const int64_t wake = std::max(now_, deadline + (lateness_ ? lateness_(deadline) : 0));
    // Steps of one instant all happen before the thread runs on: a stop wakes the
    // thread, and a start at the same time comes before it looks at its flag.
    bool interrupted = false;
    while (!script_.empty() && script_.begin()->first <= wake && (!interrupted || script_.begin()->first == now_)) {
      const auto due = script_.begin();
      now_ = std::max(now_, due->first);
      const Step step = due->second;
      script_.erase(due);
      Perform(step);
      if (interruptible && stopSignalled_) interrupted = true;
    }
    if (interrupted) return false;
    now_ = wake;
    return true;
  }

  void Press() noexcept override {
    if (pressed_) ADD_FAILURE() << "pressed twice without a release at " << now_;
    pressed_ = true;
    events.push_back("D" + std::to_string(now_ / Ms));
    pressTimes.push_back(now_);
  }
  void Release() noexcept override {
    if (!pressed_) ADD_FAILURE() << "released without a press at " << now_;
    pressed_ = false;
    events.push_back("U" + std::to_string(now_ / Ms));
  }

  bool pressed() const { return pressed_; }
  int64_t now() const { return now_; }

  std::vector<std::string> events;
  std::vector<int64_t> pressTimes;
  int waits = 0;
  int threadsCreated = 0;

 private:
  // What the engine's start and stop paths do, with the stop signal as its event.
  void Perform(const Step& step) {
    switch (step.action) {
      case Action::Stop:
        values_.running = false;
        stopSignalled_ = true;
        break;
      case Action::Start:
        if (values_.running) break;
        stopSignalled_ = false;
        if (BeginClicking(values_.button)) ++threadsCreated;
        break;
      case Action::SetMethod:
        values_.method = step.value;
        break;
      case Action::SetInterval:
        values_.interval = step.value;
        break;
    }
  }

  ButtonValues& values_;
  std::multimap<int64_t, Step> script_;
  std::function<int64_t(int64_t)> lateness_;
  int64_t now_ = 0;
  bool pressed_ = false;
  bool stopSignalled_ = false;
};

struct TimelineCase {
  const char* name;
  int32_t method;
  int32_t interval;
  std::vector<Step> script;
  std::vector<std::string> events;  // "D<ms>" press, "U<ms>" release
  int64_t endMs;                    // when the thread ends
  int threadsCreated;               // by the scripted starts
};

// clang-format off
const TimelineCase kTimelines[] = {
    {"single click every 1000 ms: a cycle of 1050 ms; the stop cuts the pause short",
     SingleClick, 1000, {{2000, Action::Stop, 0}},
     {"D0", "U50", "D1050", "U1100"}, 2000, 0},
    {"double click with interval 200: a cycle of 350 ms",
     DoubleClick, 200, {{1000, Action::Stop, 0}},
     {"D0", "U50", "D100", "U150", "D350", "U400", "D450", "U500", "D700", "U750", "D800", "U850"}, 1000, 0},
    {"a stop during a double click lets it finish, then ends without the pause",
     DoubleClick, 200, {{420, Action::Stop, 0}},
     {"D0", "U50", "D100", "U150", "D350", "U400", "D450", "U500"}, 500, 0},
    {"a stop during a press lets the release come on time",
     SingleClick, 100, {{170, Action::Stop, 0}},
     {"D0", "U50", "D150", "U200"}, 200, 0},
    {"a disabled button sends nothing and waits its interval",
     Disabled, 300, {{1000, Action::Stop, 0}},
     {}, 1000, 0},
    {"an unknown method sends nothing",
     7, 300, {{1000, Action::Stop, 0}},
     {}, 1000, 0},
    {"a save mid-run changes the method from the next cycle",
     SingleClick, 100, {{120, Action::SetMethod, DoubleClick}, {420, Action::Stop, 0}},
     {"D0", "U50", "D150", "U200", "D250", "U300", "D400", "U450", "D500", "U550"}, 550, 0},
    {"a save mid-run changes the interval from the pause it is read for",
     SingleClick, 100, {{20, Action::SetInterval, 300}, {800, Action::Stop, 0}},
     {"D0", "U50", "D350", "U400", "D700", "U750"}, 800, 0},
    {"a save that enables a disabled button starts its clicks at its next cycle",
     Disabled, 200, {{50, Action::SetMethod, SingleClick}, {500, Action::Stop, 0}},
     {"D200", "U250", "D450", "U500"}, 500, 0},
    {"a stop then a start within one cycle keeps the same thread clicking, on schedule",
     SingleClick, 1000, {{20, Action::Stop, 0}, {30, Action::Start, 0}, {1500, Action::Stop, 0}},
     {"D0", "U50", "D1050", "U1100"}, 1500, 0},
    {"a start right after a stop that cut the pause short begins a new cycle at once",
     SingleClick, 1000, {{300, Action::Stop, 0}, {300, Action::Start, 0}, {400, Action::Stop, 0}},
     {"D0", "U50", "D300", "U350"}, 400, 0},
    {"a negative interval from a hand-edited file counts as none, not as weeks",
     SingleClick, -5, {{120, Action::Stop, 0}},
     {"D0", "U50", "D50", "U100", "D100", "U150"}, 150, 0},
};
// clang-format on

TEST(ClickCycle, FollowsTheScheduleOfEachScenario) {
  for (const TimelineCase& c : kTimelines) {
    ButtonValues values;
    values.method = c.method;
    values.interval = c.interval;
    FakePlatform platform(values);
    platform.Script(c.script);
    ASSERT_TRUE(BeginClicking(values.button)) << c.name;
    RunClickThread(values.button, platform);
    EXPECT_EQ(platform.events, c.events) << c.name;
    EXPECT_EQ(platform.now(), c.endMs * Ms) << c.name;
    EXPECT_EQ(platform.threadsCreated, c.threadsCreated) << c.name;
    EXPECT_FALSE(platform.pressed()) << c.name << ": a button left pressed";
    EXPECT_FALSE(values.button.threadAlive) << c.name;
  }
}

TEST(ClickCycle, DisabledButtonWithIntervalZeroIdlesInSmallStepsUntilTheStop) {
  ButtonValues values;
  values.method = Disabled;
  values.interval = 0;
  FakePlatform platform(values);
  platform.Script({{10, Action::Stop, 0}});
  ASSERT_TRUE(BeginClicking(values.button));
  RunClickThread(values.button, platform);
  EXPECT_TRUE(platform.events.empty());
  EXPECT_EQ(platform.now(), 10 * Ms);
  EXPECT_EQ(platform.waits, 10 * Ms / IdleStepMicroseconds);
}

TEST(ClickCycle, AThreadStartedAfterTheStopEndsAtOnceWithoutClicking) {
  ButtonValues values;
  FakePlatform platform(values);
  ASSERT_TRUE(BeginClicking(values.button));
  values.running = false;
  RunClickThread(values.button, platform);
  EXPECT_TRUE(platform.events.empty());
  EXPECT_FALSE(values.button.threadAlive);
  EXPECT_TRUE(BeginClicking(values.button)) << "after the thread has ended, a start needs a new one";
}

TEST(ClickCycle, AStartWhileTheThreadLivesCreatesNoSecondOne) {
  ButtonValues values;
  ASSERT_TRUE(BeginClicking(values.button));
  values.running = false;
  EXPECT_FALSE(BeginClicking(values.button));
  EXPECT_TRUE(values.running);
  ClickThreadNotCreated(values.button);
  values.running = false;
  EXPECT_TRUE(BeginClicking(values.button)) << "a thread that could not be created holds nothing";
}

TEST(ClickCycle, LateWakeUpsDoNotAccumulateOverFiveHundredCycles) {
  for (const int32_t method : {SingleClick, DoubleClick}) {
    ButtonValues values;
    values.method = method;
    values.interval = 100;
    FakePlatform platform(values);
    // Every wait wakes up 0 to 2 ms late, as timer-driven waits do.
    uint32_t seed = 12345;
    platform.WakeLate([&](int64_t) {
      seed = seed * 1103515245u + 12345u;
      return static_cast<int64_t>((seed >> 8) % 2001);
    });
    const int64_t period = (method == SingleClick ? 150 : 250) * Ms;
    platform.Script({{500 * period / Ms + 10, Action::Stop, 0}});
    ASSERT_TRUE(BeginClicking(values.button));
    RunClickThread(values.button, platform);

    const int perCycle = method == SingleClick ? 1 : 2;
    ASSERT_EQ(platform.pressTimes.size(), static_cast<size_t>(501 * perCycle)) << method;
    for (size_t i = 0; i < platform.pressTimes.size(); i += perCycle) {
      const int64_t nominal = static_cast<int64_t>(i / perCycle) * period;
      EXPECT_GE(platform.pressTimes[i], nominal) << "cycle " << i / perCycle;
      EXPECT_LE(platform.pressTimes[i], nominal + 2 * Ms) << "cycle " << i / perCycle << " drifted";
    }
  }
}

TEST(ClickCycle, ASmallDelayIsMadeUpAndAStallMovesTheSchedule) {
  const struct {
    const char* name;
    int64_t lateMs;  // of the pause that should end at 150 ms
    std::vector<std::string> events;
  } cases[] = {
      {"20 ms late: the press is held 30 ms and the next cycle is on time",
       20,
       {"D0", "U50", "D170", "U200", "D300", "U350", "D450", "U500", "D600", "U650"}},
      {"300 ms late: whole clicks from then on, nothing made up in a burst",
       300,
       {"D0", "U50", "D450", "U500", "D600", "U650"}},
  };
  for (const auto& c : cases) {
    ButtonValues values;
    values.method = SingleClick;
    values.interval = 100;
    FakePlatform platform(values);
    const int64_t late = c.lateMs * Ms;
    platform.WakeLate([late](int64_t deadline) { return deadline == 150 * Ms ? late : 0; });
    platform.Script({{700, Action::Stop, 0}});
    ASSERT_TRUE(BeginClicking(values.button));
    RunClickThread(values.button, platform);
    EXPECT_EQ(platform.events, c.events) << c.name;
  }
}

}  // namespace
