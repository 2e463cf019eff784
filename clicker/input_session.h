// What a pick or a capture does with each key and mouse button that the input hooks
// see, apart from Win32. A session swallows only what it saw go down: the release of
// a key or button that was down when it began, or that it let pass, reaches its
// window, so nothing is left held for the rest of the session.
#pragma once

#include <bitset>
#include <cstdint>

#include "clicker/triggers.h"

// Mouse buttons by their virtual keys, so that keys and buttons share one numbering.
constexpr uint32_t LeftButtonKey = 0x01;
constexpr uint32_t RightButtonKey = 0x02;
constexpr uint32_t MiddleButtonKey = 0x04;

// How a session ended, as WM_POINTPICKED and WM_TRIGGERCAPTURED carry it.
enum InputSessionEnd : uint32_t { SessionGoingOn, SessionCancelled, SessionCleared, SessionTaken };

enum class InputSessionKind {
  // The next left click anywhere gives a point; Escape or a right click cancels.
  Pick,
  // The next key with its modifiers, or side button, becomes a trigger; Escape
  // cancels, Backspace clears, another mouse button cancels and goes on to its window.
  Capture,
};

// What to do with one event.
struct InputVerdict {
  bool swallow = false;
  bool ended = false;  // this event ended the session: tell its window now
};

class InputSession {
 public:
  using Keys = std::bitset<256>;
  // downBefore: the keys and buttons down when the session began.
  InputSession(InputSessionKind kind, const Keys& downBefore) noexcept;

  // One key or button going down or up. Events that programs inject are no answer
  // from the user and are not given to the session.
  InputVerdict OnInput(uint32_t key, bool down) noexcept;

  InputSessionEnd end() const noexcept { return end_; }
  // What a capture took.
  Trigger taken() const noexcept { return taken_; }

 private:
  InputVerdict Pick(uint32_t key, bool down) noexcept;
  InputVerdict Capture(uint32_t key, bool down) noexcept;
  InputVerdict End(InputSessionEnd end, bool swallow) noexcept;
  uint32_t ModifiersHeld() const noexcept;

  InputSessionKind kind_;
  Keys before_;  // down when the session began, and not released since
  Keys seen_;    // gone down since, swallowed, and not released since
  InputSessionEnd end_ = SessionGoingOn;
  // A capture answers at the press of a key and ends at its release, so that the
  // release and the key's repeats stay with it too.
  uint32_t answerKey_ = 0;
  InputSessionEnd answer_ = SessionGoingOn;
  Trigger taken_;
};
