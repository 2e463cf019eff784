// What a press or a release of a start, stop or toggle trigger does, apart from Win32:
// the toggle, the auto-repeat of a held key, and clicking only while the start is
// held. The engine asks at each press and release and carries out the answer.
#pragma once

#include <cstdint>

#include "clicker/triggers.h"

struct TriggerDecision {
  enum Action : uint8_t { Nothing, Start, Stop } action = Nothing;
  // The press repeats the key held: a button whose clicks ran out stays idle, and
  // nothing is told again.
  bool repeated = false;
  bool operator==(const TriggerDecision& other) const noexcept {
    return action == other.action && repeated == other.repeated;
  }
};

class TriggerState {
 public:
  // A press, with the virtual key whose release ends a hold of it. polled: a key,
  // which repeats while held; a side button does not. clicking: whether a button
  // with a method clicks now.
  TriggerDecision OnPress(TriggerRole role, uint32_t key, bool polled, bool clicking, bool holdToClick) noexcept;
  // The key of the last start or toggle went up. True: stop clicking.
  bool OnRelease(uint32_t key, bool holdToClick) noexcept;
  // The key of the last start or toggle, from its press until it is seen up; 0: none.
  uint32_t held() const noexcept { return held_; }

 private:
  uint32_t held_ = 0;
};
