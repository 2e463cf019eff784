#include "clicker/input_session.h"

namespace {

constexpr uint32_t EscapeKey = 0x1B;
constexpr uint32_t BackspaceKey = 0x08;

bool IsButton(uint32_t key) noexcept {
  return key == LeftButtonKey || key == RightButtonKey || key == MiddleButtonKey || key == XButton1Key ||
         key == XButton2Key;
}

// The modifier a key is, in RegisterHotKey's bits. The hooks see the left and right
// keys (VK_LCONTROL); the plain ones (VK_CONTROL) are there for injected input.
uint32_t ModifierOf(uint32_t key) noexcept {
  switch (key) {
    case 0x11:
    case 0xA2:
    case 0xA3:
      return TriggerCtrl;
    case 0x12:
    case 0xA4:
    case 0xA5:
      return TriggerAlt;
    case 0x10:
    case 0xA0:
    case 0xA1:
      return TriggerShift;
    case 0x5B:
    case 0x5C:
      return TriggerWin;
    default:
      return 0;
  }
}

}  // namespace

InputSession::InputSession(InputSessionKind kind, const Keys& downBefore) noexcept : kind_(kind), before_(downBefore) {}

InputVerdict InputSession::OnInput(uint32_t key, bool down) noexcept {
  if (key >= before_.size()) return {};
  // A key held since before: its repeats and its release belong to whoever saw it go down.
  if (before_[key]) {
    if (!down) before_[key] = false;
    return {};
  }
  if (!down && seen_[key]) {
    seen_[key] = false;
    if (end_ == SessionGoingOn && kind_ == InputSessionKind::Capture && key == answerKey_) return End(answer_, true);
    if (end_ == SessionGoingOn && kind_ == InputSessionKind::Pick) {
      return End(key == LeftButtonKey ? SessionTaken : SessionCancelled, true);
    }
    return {true, false};
  }
  if (end_ != SessionGoingOn) return {};
  return kind_ == InputSessionKind::Pick ? Pick(key, down) : Capture(key, down);
}

InputVerdict InputSession::Pick(uint32_t key, bool down) noexcept {
  // Escape counts only before the click has begun; the click's press is the point.
  const bool answer = key == LeftButtonKey || key == RightButtonKey || (key == EscapeKey && !seen_[LeftButtonKey]);
  if (!down || !answer) return {};
  seen_[key] = true;
  return {true, false};
}

InputVerdict InputSession::Capture(uint32_t key, bool down) noexcept {
  if (!down) return {};
  // A click is meant for its window ("确定", say): it ends the capture and goes on.
  if (IsButton(key) && key != XButton1Key && key != XButton2Key) return End(SessionCancelled, false);
  seen_[key] = true;
  if (answerKey_ != 0 || ModifierOf(key) != 0) return {true, false};
  InputSessionEnd answer = SessionTaken;
  Trigger taken;
  if (key == EscapeKey) {
    answer = SessionCancelled;
  } else if (key == BackspaceKey) {
    answer = SessionCleared;
  } else if (key == XButton1Key || key == XButton2Key) {
    taken = Trigger{0, key};
  } else {
    // Keys that cannot be a trigger (Tab, the arrows) are passed over, and the capture waits on.
    taken = TriggerOfKey(ModifiersHeld(), key);
    if (taken.key == 0) return {true, false};
  }
  answerKey_ = key;
  answer_ = answer;
  taken_ = taken;
  return {true, false};
}

InputVerdict InputSession::End(InputSessionEnd end, bool swallow) noexcept {
  end_ = end;
  return {swallow, true};
}

uint32_t InputSession::ModifiersHeld() const noexcept {
  const Keys held = before_ | seen_;
  uint32_t modifiers = 0;
  for (uint32_t key : {0x10u, 0x11u, 0x12u, 0x5Bu, 0x5Cu, 0xA0u, 0xA1u, 0xA2u, 0xA3u, 0xA4u, 0xA5u}) {
    if (held[key]) modifiers |= ModifierOf(key);
  }
  return modifiers;
}
