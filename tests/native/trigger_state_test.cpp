// What presses and releases of the triggers do: the toggle, a held key's repeats, and
// clicking only while the start is held.
#include "clicker/trigger_state.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(TriggerState, TogglesRepeatsAndHolds) {
  constexpr uint32_t F9 = 0x78, F11 = 0x7A, Side = XButton1Key;
  // 'p' a press (role, key, polled, clicking) or 'r' a release (key): what it does
  struct Step {
    char what;
    TriggerRole role;
    uint32_t key;
    bool polled;
    bool clicking;
    const char* does;  // start, start* (a repeat), stop, -
  };
  const std::vector<std::pair<bool, std::vector<Step>>> cases = {
      // hold-to-click off: a repeat starts again only what did not run out
      {false,
       {{'p', StartRole, F9, true, false, "start"},
        {'p', StartRole, F9, true, true, "start*"},
        {'r', StartRole, F9, true, true, "-"},
        {'p', StartRole, F9, true, false, "start"}}},
      // on: the release stops, the stop key too, and a repeat after it starts nothing
      {true,
       {{'p', StartRole, F9, true, false, "start"},
        {'p', StopRole, F11, true, true, "stop"},
        {'p', StartRole, F9, true, false, "-"},
        {'r', StartRole, F9, true, false, "stop"},
        {'r', StartRole, F9, true, false, "-"}}},
      // a toggle flips at each press, not at its repeats; a side button does not repeat
      {false,
       {{'p', ToggleRole, F9, true, false, "start"},
        {'p', ToggleRole, F9, true, true, "-"},
        {'r', ToggleRole, F9, true, true, "-"},
        {'p', ToggleRole, F9, true, true, "stop"},
        {'p', ToggleRole, Side, false, false, "start"},
        {'p', ToggleRole, Side, false, true, "stop"}}},
      {true,
       {{'p', StartRole, Side, false, false, "start"},
        {'r', StartRole, F9, true, true, "-"},
        {'r', StartRole, Side, false, true, "stop"}}},
  };
  for (size_t n = 0; n < cases.size(); ++n) {
    TriggerState state;
    const bool holdToClick = cases[n].first;
    for (size_t i = 0; i < cases[n].second.size(); ++i) {
      const Step& step = cases[n].second[i];
      std::string does = "-";
      if (step.what == 'r') {
        if (state.OnRelease(step.key, holdToClick)) does = "stop";
      } else {
        const TriggerDecision decision = state.OnPress(step.role, step.key, step.polled, step.clicking, holdToClick);
        if (decision.action == TriggerDecision::Stop) does = "stop";
        if (decision.action == TriggerDecision::Start) does = decision.repeated ? "start*" : "start";
      }
      EXPECT_EQ(does, step.does) << "case " << n << ", step " << i;
    }
  }
}
