// Values built once before the entry point runs and kept until the process ends.
#pragma once

#include "common/text.h"

// The executable's full path, and its drive and directory ending in a backslash.
// Both are empty when the executable's path does not fit in 260 characters: a
// shortened path would name another file, so nothing beside the executable
// (settings, help files, shortcut targets) is used then.
extern wchar_t ModulePath[PathCapacity];
extern wchar_t ModuleDirectory[PathCapacity];
// The shortcuts' working directory: a second copy of ModuleDirectory.
extern wchar_t ShortcutWorkingDirectory[PathCapacity];
// ModuleDirectory followed by "配置文件.ini"; empty when that does not fit.
extern wchar_t ConfigFilePath[PathCapacity];

// The running module's directory into out (PathCapacity characters); false and
// out empty when the module's path is too long.
bool GetModuleDirectory(wchar_t* out);

// Builds, in order: ModuleDirectory, ConfigFilePath, ModulePath with the working
// directory. The entry point hands each subsystem the ones it needs.
void BuildProcessValues();
