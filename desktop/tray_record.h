// The size the tray icon's record is registered with, chosen from the shell
// library's version. No Win32 here: the two candidate sizes come from the caller,
// who takes them from the platform headers, so a 64-bit build gets its own sizes.
#pragma once

#include <cstdint>

// A version in the layout of MAKEDLLVERULL: major in bits 48 to 63, minor in bits
// 32 to 47, build and revision zero. A field too wide for its 16 bits counts as
// the largest value that fits rather than spilling into its neighbour (a minor
// 0x10000 must not read as a higher major version).
constexpr uint64_t PackShellVersion(uint32_t major, uint32_t minor) noexcept {
  return (static_cast<uint64_t>(major > 0xFFFF ? 0xFFFF : major) << 48) |
         (static_cast<uint64_t>(minor > 0xFFFF ? 0xFFFF : minor) << 32);
}

// Shells before 5.0 reject a record larger than the version-2 one (up to
// dwInfoFlags) and show no icon at all, so only 5.0 and later get the full size.
// An unknown version (0) is treated as the old shell.
constexpr uint32_t TrayRecordSize(uint64_t shellVersion, uint32_t fullSize, uint32_t version2Size) noexcept {
  return (shellVersion >> 32) >= 0x50000u ? fullSize : version2Size;
}
