#include "desktop/shortcut_path.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "common/text.h"

const std::wstring n49(49, L'n'), n50(50, L'n');

TEST(GetFileBaseName, SplitsAsTheRuntimeSplitsPathsAndRefusesANameTooLongToHold) {
  // clang-format off
  const std::tuple<std::wstring, std::wstring, bool> cases[] = {
      {L"\\\\server\\share\\dir\\青梧连点.exe", L"青梧连点", true}, {L"C:/mixed\\slashes/app.exe", L"app", true},
      {L"C:app.exe", L"app", true}, {L"C:\\dotted.dir\\noext", L"noext", true},
      {L"C:\\x\\archive.tar.exe", L"archive.tar", true}, {L"C:\\x\\.exe", L"", true},
      {L"C:\\dir\\" + n49 + L".a-long-extension-that-does-not-count", n49, true},
      {L"C:\\dir\\" + n50 + L".exe", L"", false},
  };  // clang-format on
  for (const auto& [path, baseName, fits] : cases) {
    wchar_t out[ShortcutBaseNameCapacity] = L"junk";
    EXPECT_EQ(GetFileBaseName(path.c_str(), out, ShortcutBaseNameCapacity), fits) << path;
    EXPECT_EQ(std::wstring(out), baseName) << path;
  }
}

TEST(BuildShortcutPath, PutsTheBaseNameAndLnkIntoTheFolderOrRefuses) {
  // A folder of this length, a backslash, 49 characters and ".lnk" fill 259 and a terminator.
  const std::wstring fullFolder = L"C:\\" + std::wstring(PathCapacity - 1 - 1 - 49 - 4 - 3, L'f');
  const std::wstring tooLong = fullFolder + L"f";
  // clang-format off
  const std::tuple<const wchar_t*, std::wstring, std::wstring> cases[] = {
      {L"C:\\users\\me\\Desktop", L"D:\\Tools\\clicker.exe", L"C:\\users\\me\\Desktop\\clicker.lnk"},
      {L"E:\\", L"C:\\a\\青梧鼠标连点器.exe", L"E:\\青梧鼠标连点器.lnk"},
      {fullFolder.c_str(), L"C:\\a\\" + n49 + L".exe", fullFolder + L"\\" + n49 + L".lnk"},
      {tooLong.c_str(), L"C:\\a\\" + n49 + L".exe", L""},
      {L"", L"C:\\a\\tool.exe", L""}, {nullptr, L"C:\\a\\tool.exe", L""},  // no folder: not the drive's root
      {L"C:\\Desktop", L"C:\\a\\.exe", L""},  // nothing to name the shortcut after
      {L"C:\\Desktop", L"C:\\a\\" + n50 + L".exe", L""},
  };  // clang-format on
  for (const auto& [folder, target, path] : cases) {
    wchar_t out[PathCapacity] = L"junk";
    EXPECT_EQ(BuildShortcutPath(folder, target.c_str(), out, PathCapacity), !path.empty()) << target;
    EXPECT_EQ(std::wstring(out), path) << target;
  }
}
