// The name and path of a shortcut file. No Win32 here.
#pragma once

#include <cstddef>

// The base name is held in 50 characters, terminator included.
constexpr size_t ShortcutBaseNameCapacity = 50;

// The file name of path without its directory and its extension, split as
// _wsplitpath_s splits it: the directory ends at the last backslash or slash (or
// after a drive's colon), the extension starts at the last dot of the file name.
// C:\Tools\clicker.exe gives clicker. A base name that does not fit in capacity
// is refused (false, out empty): a shortened name would be another file's.
bool GetFileBaseName(const wchar_t* path, wchar_t* out, size_t capacity) noexcept;

// folder, a backslash, the base name of target (at most ShortcutBaseNameCapacity
// - 1 characters) and ".lnk", into out (capacity characters, terminator
// included). False and out empty when the folder is empty, the base name is
// empty or too long, or the whole path would not fit: a shortcut is then better
// not made than made under another name or in another place.
bool BuildShortcutPath(const wchar_t* folder, const wchar_t* target, wchar_t* out, size_t capacity) noexcept;
