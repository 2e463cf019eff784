#include "app/process_values.h"

#include <windows.h>

#include <cstdlib>

#include "clicker/click_engine.h"
#include "clicker/settings.h"

wchar_t ModulePath[PathCapacity];
wchar_t ModuleDirectory[PathCapacity];
wchar_t ShortcutWorkingDirectory[PathCapacity];

namespace {

// GetModuleFileNameW fills the whole buffer and returns its size when the path is
// longer (without a terminator on older systems): that counts as failure.
bool GetModulePath(wchar_t* out) {
  const DWORD length = GetModuleFileNameW(nullptr, out, static_cast<DWORD>(PathCapacity));
  if (length == 0 || length >= PathCapacity) {
    out[0] = L'\0';
    return false;
  }
  return true;
}

}  // namespace

bool GetModuleDirectory(wchar_t* out) {
  out[0] = L'\0';
  wchar_t path[PathCapacity];
  if (!GetModulePath(path)) return false;
  // Every part gets a whole path's room, so no part of a path that fits can
  // overflow its buffer (which would end the process in the runtime's handler).
  wchar_t drive[PathCapacity], directory[PathCapacity], name[PathCapacity], extension[PathCapacity];
  if (_wsplitpath_s(path, drive, PathCapacity, directory, PathCapacity, name, PathCapacity,
                    extension, PathCapacity) != 0) {
    return false;
  }
  return JoinText(drive, directory, out, PathCapacity);
}

void BuildProcessValues() {
  GetModuleDirectory(ModuleDirectory);
  BuildConfigFilePath();
  if (GetModulePath(ModulePath)) {
    CopyText(ModuleDirectory, ShortcutWorkingDirectory, PathCapacity);
  }
  InitializeClickLocks();
}
