// A sequence of clicks and key presses that the start key runs instead of the two
// buttons' clicking: its values in section "Sequence" of the INI file, their text,
// the random spread around a step's point, and the run on deadlines against an
// abstract platform. No Win32: the engine, the INI storage and the dialog share it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "clicker/advanced_settings.h"
#include "clicker/click_cycle.h"
#include "clicker/triggers.h"

constexpr wchar_t SequenceSection[] = L"Sequence";
constexpr int32_t MaxSequenceSteps = 100;
constexpr int32_t MaxStepPauseMs = 3600000;
constexpr int32_t MaxSequenceSpread = 100;  // pixels

// In the order of their written names; the dialog's list can use the same order.
enum StepAction : int32_t {
  LeftStep,
  RightStep,
  MiddleStep,
  LeftDoubleStep,
  RightDoubleStep,
  MiddleDoubleStep,
  KeyStep,
  StepActionCount
};
enum MouseButton : int32_t { LeftButton, RightButton, MiddleButton };

struct SequenceStep {
  StepAction action = LeftStep;
  Trigger key;       // KeyStep only: never a side button
  ClickPoint point;  // not set: wherever the cursor is
  int32_t pauseMs = 0;
};

// A plain copy, with the defaults. Steps past stepCount are unused.
struct SequenceValues {
  int32_t enabled = 0;  // 1: the start key runs the steps
  int32_t repeat = 0;   // rounds per start; 0: until stopped
  int32_t spread = 0;   // radius in pixels around a step's point
  int32_t stepCount = 0;
  SequenceStep steps[MaxSequenceSteps];
};

// Whether the start key runs the sequence; without a step there is nothing to run,
// and the two buttons click as before.
bool SequenceRuns(const SequenceValues& values) noexcept;

// "ACTION POSITION PAUSE": Left, Right, Middle, LeftDouble, RightDouble, MiddleDouble
// or Key:COMBINATION (the triggers' grammar, no side button), in any case; "x,y" or *;
// whole milliseconds 0 to MaxStepPauseMs. Blanks around and between the parts. False,
// with out unchanged, for anything else.
bool ParseStep(const wchar_t* text, SequenceStep& out) noexcept;
// The form a save writes: "Left 100,200 500", "MiddleDouble * 0", "Key:Ctrl+V * 250".
constexpr size_t StepTextCapacity = 64;
void FormatStep(const SequenceStep& step, wchar_t (&out)[StepTextCapacity]) noexcept;

// Reads key name of section "Sequence" into the buffer ("" when it is missing); with a
// null name, the names of all the section's keys, each ended by a null character and
// the list by one more, as GetPrivateProfileStringW gives them.
using SequenceRead = std::function<void(const wchar_t* name, wchar_t* buffer, size_t capacity)>;
// Sets key name of section "Sequence" to text, or deletes the key when text is null;
// false when the file could not be written.
using SequenceWrite = std::function<bool(const wchar_t* name, const wchar_t* text)>;

struct BadSequenceKey {
  std::wstring name;       // as the file spells it: "Step2", "step101"
  const wchar_t* allowed;  // what the key may hold, in the words the messages use
};

// Reads Enabled, Repeat, Spread and Step1 up to the first missing step. A bad value
// keeps its default and a bad step is left out; a step key the reading never reaches
// (past a missing number, past Step100, or spelt otherwise) is bad too. With any bad
// key the sequence is off (enabled 0) for the run. The bad keys, in the file's order
// of reading, empty when all is well.
std::vector<BadSequenceKey> ReadSequence(SequenceValues& values, const SequenceRead& read);

// Writes Enabled, Repeat, Spread and every step in the form above, and deletes the
// step keys that are no longer part of the sequence (read lists them). A failed write
// does not stop the others; true only when all of them succeeded.
bool WriteSequence(const SequenceValues& values, const SequenceRead& read, const SequenceWrite& write);

// An offset evenly spread over the disc of the radius (radius × √u1 from the centre,
// at angle 2π × u2, u1 and u2 uniform over 32 bits), so that the presses average on
// the point; rounded so that it never leaves the disc.
struct SpreadOffset {
  int32_t dx = 0;
  int32_t dy = 0;
};
SpreadOffset SpreadOffsetOf(int32_t radius, uint32_t u1, uint32_t u2) noexcept;

// The clock, the waits, the mouse and the keyboard of the thread that runs a sequence.
class SequencePlatform {
 public:
  // A monotonic clock.
  virtual int64_t NowMicroseconds() noexcept = 0;
  // As ClickPlatform::WaitUntil: an interruptible wait returns false as soon as a stop
  // has been signalled; only the pauses between steps are interruptible.
  virtual bool WaitUntil(int64_t deadlineMicroseconds, bool interruptible) noexcept = 0;
  virtual void Press(MouseButton button) noexcept = 0;
  virtual void Release(MouseButton button) noexcept = 0;
  // A virtual key, sent with its scan code to the window in front.
  virtual void KeyDown(uint32_t virtualKey) noexcept = 0;
  virtual void KeyUp(uint32_t virtualKey) noexcept = 0;
  virtual void MoveCursor(int32_t x, int32_t y) noexcept = 0;
  // Uniform over 32 bits; two draws per step with a point while the spread is above 0.
  virtual uint32_t Random() noexcept = 0;

 protected:
  ~SequencePlatform() = default;
};

// The body of a thread that runs the sequence, under the same contract as a click
// thread: the button's flag, starts and thread record (BeginClicking, IsClicking,
// ClickThreadNotCreated, a stop that clears the flag and signals the platform's wait)
// work for it unchanged, while its method, interval and tuning play no part. Each
// start runs the steps from the first, Repeat rounds, on deadlines from the start: a
// step's first press is due at the previous step's last release plus its pause. A
// stop ends a pause at once but never cuts a press short, so the thread always returns
// with nothing pressed. When the rounds run out the button is idle until the next
// start, as when a count runs out. The sequence is read throughout the run: hand the
// thread values that nothing changes while it lives.
void RunSequence(ClickButton& button, const SequenceValues& sequence, SequencePlatform& platform) noexcept;
