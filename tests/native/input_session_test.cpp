// What a pick and a capture answer, and what they keep from the windows: only what
// they saw go down, so that no key or button is left held.
#include "clicker/input_session.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
constexpr uint32_t Enter = 0x0D, Esc = 0x1B, Back = 0x08, Tab = 0x09, Ctrl = 0xA2, K = 'K', F12 = 0x7B;
constexpr uint32_t Left = LeftButtonKey, Right = RightButtonKey, Middle = MiddleButtonKey;
struct Event {
  uint32_t key;
  bool down;
};
}  // namespace

TEST(InputSession, SwallowsOnlyWhatItSawGoDownAndAnswersOnce) {
  using Kind = InputSessionKind;
  // kind, keys down before, events, each one's verdict (s: swallowed, p: passed; upper
  // case: it ended the session), the end, what a capture took
  struct Case {
    Kind kind;
    std::vector<uint32_t> before;
    std::vector<Event> events;
    const char* verdicts;
    InputSessionEnd end;
    Trigger taken;
  };
  // clang-format off
  const Case cases[] = {
      {Kind::Capture, {Enter}, {{Enter, true}, {Enter, false}, {Esc, true}, {Esc, false}}, "ppsS", SessionCancelled, {}},
      {Kind::Capture, {Ctrl}, {{K, true}, {Ctrl, false}, {K, false}}, "spS", SessionTaken, {TriggerCtrl, K}},
      {Kind::Capture, {}, {{Ctrl, true}, {Tab, true}, {Tab, false}, {K, true}, {K, true}, {K, false}, {Ctrl, false}},
       "sssssSs", SessionTaken, {TriggerCtrl, K}},
      {Kind::Capture, {}, {{F12, true}, {F12, false}, {Back, true}, {Back, false}}, "sssS", SessionCleared, {}},
      {Kind::Capture, {}, {{XButton2Key, true}, {XButton2Key, false}}, "sS", SessionTaken, {0, XButton2Key}},
      {Kind::Capture, {}, {{Ctrl, true}, {Left, true}, {Left, false}, {Ctrl, false}}, "sPps", SessionCancelled, {}},
      {Kind::Pick, {}, {{Left, true}, {Esc, true}, {Esc, false}, {Left, false}}, "sppS", SessionTaken, {}},
      {Kind::Pick, {Esc}, {{Esc, false}, {Middle, true}, {Middle, false}, {Esc, true}, {Esc, false}}, "pppsS",
       SessionCancelled, {}},
      {Kind::Pick, {Left}, {{Left, false}, {Right, true}, {K, true}, {Right, false}, {K, false}}, "pspSp",
       SessionCancelled, {}},
  };  // clang-format on
  for (size_t n = 0; n < std::size(cases); ++n) {
    const Case& c = cases[n];
    InputSession::Keys before;
    for (uint32_t key : c.before) before[key] = true;
    InputSession session(c.kind, before);
    std::string verdicts;
    for (const Event& event : c.events) {
      const InputVerdict verdict = session.OnInput(event.key, event.down);
      verdicts += verdict.ended ? (verdict.swallow ? 'S' : 'P') : (verdict.swallow ? 's' : 'p');
    }
    EXPECT_EQ(verdicts, c.verdicts) << "case " << n;
    EXPECT_EQ(session.end(), c.end) << "case " << n;
    EXPECT_EQ(session.taken(), c.taken) << "case " << n;
  }
}
