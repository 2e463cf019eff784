// Text in the fixed buffers the program keeps, and the blanks that hand-edited files
// and pasted text carry. No Win32 here.
#pragma once

#include <cstddef>

constexpr size_t PathCapacity = 260;  // MAX_PATH, terminator included

// Writes first followed by second into out (capacity characters, terminator
// included). A result that would not fit is never cut short, since a shortened
// path names a different file: out is left empty and the result is false.
bool JoinText(const wchar_t* first, const wchar_t* second, wchar_t* out, size_t capacity) noexcept;

// Copies text into out; false and out empty when it does not fit.
bool CopyText(const wchar_t* text, wchar_t* out, size_t capacity) noexcept;

// Appends text at out[length], as much as fits before the terminator, and moves
// length on. For texts that are always short enough (a key's value, a trigger's
// name), where a cut is no worse than a refusal.
void AppendText(wchar_t* out, size_t capacity, size_t& length, const wchar_t* text) noexcept;

// A space, a tab or the ideographic space a Chinese input method gives.
bool IsBlank(wchar_t c) noexcept;
// Empty, or blanks alone.
bool IsBlank(const wchar_t* text) noexcept;
const wchar_t* SkipBlanks(const wchar_t* text) noexcept;

// The part [begin, end) is name, ASCII letters in either case.
bool SameText(const wchar_t* begin, const wchar_t* end, const wchar_t* name) noexcept;
