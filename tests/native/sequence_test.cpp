// The sequence as a hand-edited [Sequence] section holds it, its spread around a point,
// and its run on a fake clock, mouse and keyboard.
#include "clicker/sequence.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>
#include <map>
#include <random>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace {

TEST(SequenceSteps, EveryFormReadsInAnyCaseWithBlanksAndIsWrittenCanonically) {
  // text, the step as a save writes it; empty: refused
  // clang-format off
  const std::pair<const wchar_t*, const wchar_t*> cases[] = {
      {L"Left 100,200 500", L"Left 100,200 500"}, {L"  right\t-5,-7\x3000" L"0 ", L"Right -5,-7 0"},
      {L"MIDDLE * 3600000", L"Middle * 3600000"}, {L"leftdouble 1，2 3", L"LeftDouble 1,2 3"},
      {L"RightDouble ＊ 0", L"RightDouble * 0"}, {L"middleDouble -32768,32767 1", L"MiddleDouble -32768,32767 1"},
      {L"key:ctrl+v * 250", L"Key:Ctrl+V * 250"}, {L"Key：Shift + Space 10,10 0", L"Key:Shift+Space 10,10 0"},
      {L"KEY:b * 0", L"Key:B * 0"}, {L"Key:Ctrl+Alt+Shift+Win+PageDown -1,-1 9", L"Key:Ctrl+Alt+Shift+Win+PageDown -1,-1 9"},
      // Bad numbers, points and combinations as such are the advanced keys' and the triggers' own.
      {L"Left * 3600001", L""}, {L"Left * -1", L""}, {L"Left 1 0", L""}, {L"Left *", L""}, {L"* 0", L""},
      {L"Left * 0 0", L""}, {L"Jump * 0", L""}, {L"Left Double * 0", L""}, {L"Key:XButton1 * 0", L""},
      {L"Key: * 0", L""}, {L"KeyB * 0", L""}, {L"", L""},
  };  // clang-format on
  for (const auto& [text, written] : cases) {
    SequenceStep step;
    wchar_t out[StepTextCapacity];
    const bool read = ParseStep(text, step);
    FormatStep(step, out);
    EXPECT_STREQ(read ? out : L"", written) << text;
  }
}

// A [Sequence] section: key names in any case, as the INI functions treat them.
struct IgnoringCase {
  bool operator()(const std::wstring& a, const std::wstring& b) const { return wcscasecmp(a.c_str(), b.c_str()) < 0; }
};
using Section = std::map<std::wstring, std::wstring, IgnoringCase>;
SequenceRead ReaderOf(const Section& file) {
  return [&file](const wchar_t* name, wchar_t* buffer, size_t capacity) {
    std::wstring text = name != nullptr && file.count(name) ? file.at(name) : L"";
    for (const auto& entry : file) text += name == nullptr ? entry.first + L'\0' : L"";
    std::wmemcpy(buffer, text.c_str(), std::min(text.size() + 1, capacity));
  };
}

TEST(SequenceSection, BadKeysAreNamedAndTurnTheSequenceOffAndASaveWritesItCanonically) {
  // clang-format off
  Section file = {{L"Enabled", L"1"}, {L"Repeat", L" 3"}, {L"Spread", L"101"}, {L"Step1", L"left 1,2 3"},
                  {L"step2", L"key:b * 0"}, {L"Step3", L""}, {L"Step5", L"Left * 0"}, {L"Step01", L"Left * 0"},
                  {L"Other", L"kept"}};  // clang-format on
  SequenceValues values;
  std::vector<std::wstring> bad;
  for (const BadSequenceKey& key : ReadSequence(values, ReaderOf(file))) bad.push_back(key.name);
  // An empty step is there, and bad; steps past a missing number or spelt otherwise are never reached.
  EXPECT_EQ(bad, (std::vector<std::wstring>{L"Spread", L"Step3", L"Step01", L"Step5"}));
  EXPECT_EQ(std::make_tuple(values.enabled, values.repeat, values.stepCount), std::make_tuple(0, 3, 2));
  values.enabled = 1;
  EXPECT_TRUE(WriteSequence(values, ReaderOf(file), [&file](const wchar_t* name, const wchar_t* text) {
    text != nullptr ? void(file[name] = text) : void(file.erase(name));
    return true;
  }));
  // clang-format off
  EXPECT_EQ(file, (Section{{L"Enabled", L"1"}, {L"Repeat", L"3"}, {L"Spread", L"0"}, {L"Step1", L"Left 1,2 3"},
                           {L"step2", L"Key:B * 0"}, {L"Other", L"kept"}}));  // clang-format on

  Section hundredAndOne;  // and nothing else: missing keys are no error
  for (int n = 1; n <= 101; ++n) hundredAndOne[L"Step" + std::to_wstring(n)] = L"Left * 0";
  const std::vector<BadSequenceKey> tooMany = ReadSequence(values, ReaderOf(hundredAndOne));
  ASSERT_EQ(tooMany.size(), 1u);
  EXPECT_EQ(tooMany[0].name, L"Step101");
  EXPECT_EQ(values.stepCount, 100);
}

TEST(SequenceSpread, EvenlyOverTheDiscWithTheMeanOnThePoint) {
  std::mt19937 random(22);
  constexpr int Draws = 20000;
  for (const int32_t radius : {0, 1, 2, 7, 100}) {
    double sumX = 0, sumY = 0;
    int64_t farthest = 0, withinHalf = 0;
    for (int i = 0; i < Draws; ++i) {
      const uint32_t u1 = random();
      const SpreadOffset o = SpreadOffsetOf(radius, u1, random());
      const int64_t d2 = int64_t{o.dx} * o.dx + int64_t{o.dy} * o.dy;
      ASSERT_LE(d2, int64_t{radius} * radius) << radius << ": " << o.dx << "," << o.dy;
      sumX += o.dx, sumY += o.dy, farthest = std::max(farthest, d2), withinHalf += 4 * d2 <= radius * radius;
    }
    // The mean's standard error is radius / 283: the margin is fourteen of them.
    EXPECT_NEAR(sumX / Draws, 0, radius / 20.0) << radius;
    EXPECT_NEAR(sumY / Draws, 0, radius / 20.0) << radius;
    EXPECT_EQ(farthest > int64_t{radius - 1} * (radius - 1), radius > 0) << radius << ": reaches the rim";
    // Even over the area: a quarter of the presses within half the radius.
    if (radius == 100) {
      EXPECT_NEAR(withinHalf / double{Draws}, 0.25, 0.03);
    }
  }
}

constexpr int64_t Ms = 1000;
constexpr uint32_t kDraws[] = {~0u, 0, ~0u, 1u << 30};  // far out at angle 0, then far out at a quarter turn
enum Event { Stop, Start, UnseenStop };                 // UnseenStop: the flag cleared while the wait goes on

// Time moves only when the thread waits; each scripted event happens at its time.
struct FakePlatform final : SequencePlatform {
  std::atomic<bool> running{false};
  std::atomic<int32_t> unused{0};
  ClickButton button{running, unused, unused};
  std::multimap<int64_t, Event> script;
  int64_t now = 0, lateAt = -1, lateBy = 0;  // the wait ending at lateAt wakes lateBy late
  bool stopSignalled = false;
  int waits = 0;
  size_t draws = 0;
  std::set<std::string> held;
  std::string events;  // "L+<ms>" press, "L-<ms>" release, "k<vk>+<ms>" key, "@x,y" cursor

  int64_t NowMicroseconds() noexcept override { return now; }
  bool WaitUntil(int64_t deadline, bool interruptible) noexcept override {
    if (++waits > 100000) running = false, stopSignalled = true;  // a runaway ends the test
    if (interruptible && stopSignalled) return false;
    const int64_t wake = std::max(now, deadline + (deadline == lateAt ? lateBy : 0));
    // Events of one instant all happen before the thread runs on.
    bool interrupted = false;
    while (!script.empty() && script.begin()->first <= wake && (!interrupted || script.begin()->first == now)) {
      now = std::max(now, script.begin()->first);
      const Event e = script.begin()->second;
      script.erase(script.begin());
      if (e != Start) running = false, stopSignalled = e == Stop;
      if (e == Start && !running) stopSignalled = false, BeginClicking(button);
      interrupted = interrupted || (interruptible && stopSignalled);
    }
    if (!interrupted) now = wake;
    return !interrupted;
  }
  void Input(const std::string& what, bool down) {
    if (down ? !held.insert(what).second : held.erase(what) == 0) ADD_FAILURE() << what << " twice at " << now;
    events += what + (down ? "+" : "-") + std::to_string(now / Ms) + " ";
  }
  void Press(MouseButton b) noexcept override { Input(std::string(1, "LRM"[b]), true); }
  void Release(MouseButton b) noexcept override { Input(std::string(1, "LRM"[b]), false); }
  void KeyDown(uint32_t key) noexcept override { Input("k" + std::to_string(key), true); }
  void KeyUp(uint32_t key) noexcept override { Input("k" + std::to_string(key), false); }
  void MoveCursor(int32_t x, int32_t y) noexcept override {
    events += "@" + std::to_string(x) + "," + std::to_string(y) + " ";
  }
  uint32_t Random() noexcept override { return kDraws[draws++ % 4]; }
};

const std::vector<const wchar_t*> kFourSteps = {L"Left 10,20 100", L"Middle 30,40 0", L"Key:Ctrl+Shift+V * 50",
                                                L"RightDouble * 200"};
const std::string kFirstRound =
    "@10,20 L+0 L-50 @30,40 M+150 M-200 k17+200 k16+200 k86+200 k86-250 k16-250 k17-250 R+300 R-350 R+400 R-450 ";

struct RunCase {
  const char* name;
  std::vector<const wchar_t*> steps;
  int32_t repeat, spread;
  std::multimap<int64_t, Event> script;  // ms
  std::string events;
  int64_t endMs, lateAtMs = -1, lateMs = 0;
};
// clang-format off
const RunCase kRuns[] = {
    {"four steps twice: each pause from the last release; none after the last step", kFourSteps, 2, 0, {},
     kFirstRound + "@10,20 L+650 L-700 @30,40 M+800 M-850 k17+850 k16+850 k86+850 k86-900 k16-900 k17-900 "
     "R+950 R-1000 R+1050 R-1100 ", 1100},
    {"a stop in a pause ends the run at once", kFourSteps, 0, 0, {{120, Stop}}, "@10,20 L+0 L-50 ", 120},
    {"a stop in a press lets the step finish", kFourSteps, 0, 0, {{420, Stop}}, kFirstRound, 450},
    {"a stop the wait does not see ends the run when the pause ends", kFourSteps, 0, 0, {{120, UnseenStop}},
     "@10,20 L+0 L-50 ", 150},
    {"a stop and a start the wait does not see: the new start begins at the first step", kFourSteps, 0, 0,
     {{120, UnseenStop}, {130, Start}, {210, Stop}}, "@10,20 L+0 L-50 @10,20 L+150 L-200 ", 210},
    {"a start right after a stop begins again at the first step", kFourSteps, 0, 0,
     {{120, Stop}, {120, Start}, {260, Stop}}, "@10,20 L+0 L-50 @10,20 L+120 L-170 ", 260},
    {"a wake-up 20 ms late is made up within the step: no drift", kFourSteps, 1, 0, {},
     "@10,20 L+0 L-50 @30,40 M+170 M-200 k17+200 k16+200 k86+200 k86-250 k16-250 k17-250 R+300 R-350 R+400 R-450 ",
     450, 150, 20},
    {"a stall of 300 ms moves the schedule: no burst", {L"Left * 100", L"Left * 0"}, 1, 0, {},
     "L+0 L-50 L+450 L-500 ", 500, 150, 300},
    {"a stall of 300 ms in a press: the pause counts from the late release", {L"Left * 100", L"Left * 0"}, 1, 0, {},
     "L+0 L-350 L+450 L-500 ", 500, 50, 300},
    {"a new place in the spread for each step, the same for both presses of a double",
     {L"LeftDouble 10,20 0", L"Right 0,0 0", L"Middle * 0"}, 1, 5, {},
     "@15,20 L+0 L-50 @15,20 L+100 L-150 @0,5 R+150 R-200 M+200 M-250 ", 250},
};
// clang-format on

TEST(SequenceRun, FollowsTheScheduleOfEachScenario) {
  for (const RunCase& c : kRuns) {
    FakePlatform p;
    SequenceValues sequence;
    sequence.repeat = c.repeat, sequence.spread = c.spread;
    for (const wchar_t* step : c.steps) ASSERT_TRUE(ParseStep(step, sequence.steps[sequence.stepCount++])) << step;
    for (const auto& [at, event] : c.script) p.script.emplace(at * Ms, event);
    p.lateAt = c.lateAtMs * Ms, p.lateBy = c.lateMs * Ms;
    ASSERT_TRUE(BeginClicking(p.button));
    RunSequence(p.button, sequence, p);
    EXPECT_EQ(p.events, c.events) << c.name;
    EXPECT_EQ(p.now, c.endMs * Ms) << c.name;
    EXPECT_TRUE(p.held.empty()) << c.name << ": nothing is left pressed";
    EXPECT_FALSE(p.button.threadAlive || IsClicking(p.button)) << c.name << ": idle until the next start";
  }
}

}  // namespace
