#include "clicker/trigger_state.h"

TriggerDecision TriggerState::OnPress(TriggerRole role, uint32_t key, bool polled, bool clicking,
                                      bool holdToClick) noexcept {
  if (role == StopRole) return {TriggerDecision::Stop, false};
  // A held key sends further presses: they must not begin again what stopped by
  // itself, or was stopped, while the key was held.
  const bool repeated = polled && key != 0 && held_ == key;
  held_ = key;
  if (role == ToggleRole) {
    // A held toggle would otherwise flip at every repeat.
    if (repeated) return {};
    if (clicking) return {TriggerDecision::Stop, false};
  }
  if (repeated && holdToClick) return {};
  return {TriggerDecision::Start, repeated};
}

bool TriggerState::OnRelease(uint32_t key, bool holdToClick) noexcept {
  if (key == 0 || key != held_) return false;
  held_ = 0;
  return holdToClick;
}
