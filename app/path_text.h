// Building paths in the fixed 260-character buffers the program keeps. No Win32 here.
#pragma once

#include <cstddef>

constexpr size_t PathCapacity = 260;  // MAX_PATH, terminator included

// Writes first followed by second into out (capacity characters, terminator
// included). A result that would not fit is never cut short, since a shortened
// path names a different file: out is left empty and the result is false.
bool JoinText(const wchar_t* first, const wchar_t* second, wchar_t* out, size_t capacity) noexcept;

// Copies text into out; false and out empty when it does not fit.
bool CopyText(const wchar_t* text, wchar_t* out, size_t capacity) noexcept;
