#include "desktop/shortcut_path.h"

#include <gtest/gtest.h>

#include <string>

#include "app/path_text.h"

namespace {

TEST(GetFileBaseName, SplitsAsTheRuntimeSplitsPaths) {
  const struct {
    const wchar_t* path;
    const wchar_t* baseName;
  } cases[] = {
      {L"C:\\Tools\\clicker.exe", L"clicker"},
      {L"C:\\Tools\\tool.exe", L"tool"},
      {L"\\\\server\\share\\dir\\青梧连点.exe", L"青梧连点"},
      {L"C:/mixed\\slashes/app.exe", L"app"},
      {L"C:app.exe", L"app"},
      {L"C:\\dotted.dir\\noext", L"noext"},
      {L"C:\\x\\archive.tar.exe", L"archive.tar"},
      {L"C:\\x\\trailing.", L"trailing"},
      {L"C:\\x\\.exe", L""},
      {L"C:\\x\\", L""},
      {L"", L""},
  };
  for (const auto& c : cases) {
    wchar_t out[ShortcutBaseNameCapacity] = L"junk";
    EXPECT_TRUE(GetFileBaseName(c.path, out, ShortcutBaseNameCapacity)) << c.path;
    EXPECT_EQ(std::wstring(out), c.baseName) << c.path;
  }
}

TEST(GetFileBaseName, KeepsFortyNineCharactersAndRefusesFifty) {
  const struct {
    size_t nameLength;
    bool fits;
  } cases[] = {{48, true}, {49, true}, {50, false}, {120, false}};
  for (const auto& c : cases) {
    const std::wstring name(c.nameLength, L'n');
    // A long extension must not count against the base name, nor break the split.
    const std::wstring path = L"C:\\dir\\" + name + L".executable-extension";
    wchar_t out[ShortcutBaseNameCapacity] = L"junk";
    EXPECT_EQ(GetFileBaseName(path.c_str(), out, ShortcutBaseNameCapacity), c.fits) << c.nameLength;
    EXPECT_EQ(std::wstring(out), c.fits ? name : std::wstring()) << c.nameLength;
  }
}

TEST(BuildShortcutPath, PutsTheBaseNameAndLnkIntoTheFolder) {
  const struct {
    const wchar_t* folder;
    const wchar_t* target;
    const wchar_t* path;
  } cases[] = {
      {L"C:\\users\\me\\Desktop", L"D:\\Tools\\clicker.exe", L"C:\\users\\me\\Desktop\\clicker.lnk"},
      {L"C:\\users\\me\\Start Menu\\Programs", L"C:\\a\\tool.exe", L"C:\\users\\me\\Start Menu\\Programs\\tool.lnk"},
      {L"E:\\", L"C:\\a\\青梧鼠标连点器.exe", L"E:\\青梧鼠标连点器.lnk"},
  };
  for (const auto& c : cases) {
    wchar_t out[PathCapacity];
    ASSERT_TRUE(BuildShortcutPath(c.folder, c.target, out, PathCapacity)) << c.target;
    EXPECT_EQ(std::wstring(out), c.path);
  }
}

TEST(BuildShortcutPath, RefusesRatherThanWritingElsewhereOrUnderAnotherName) {
  const std::wstring longName(50, L'n');
  const struct {
    const wchar_t* folder;
    std::wstring target;
  } cases[] = {
      {L"", L"C:\\a\\tool.exe"},  // no folder: the name would land at the drive's root
      {nullptr, L"C:\\a\\tool.exe"},
      {L"C:\\Desktop", L"C:\\a\\.exe"},  // nothing to name the shortcut after
      {L"C:\\Desktop", L"C:\\a\\" + longName + L".exe"},
  };
  for (const auto& c : cases) {
    wchar_t out[PathCapacity] = L"junk";
    EXPECT_FALSE(BuildShortcutPath(c.folder, c.target.c_str(), out, PathCapacity)) << c.target;
    EXPECT_EQ(out[0], L'\0');
  }
}

TEST(BuildShortcutPath, FillsTheBufferExactlyButNeverOverflowsIt) {
  // folder + "\" + 49-character base name + ".lnk" = 259 characters and a terminator.
  const std::wstring name(49, L'n');
  const std::wstring target = L"C:\\a\\" + name + L".exe";
  const size_t folderLength = PathCapacity - 1 - 1 - name.size() - 4;
  const std::wstring folder = L"C:\\" + std::wstring(folderLength - 3, L'f');
  wchar_t out[PathCapacity];
  ASSERT_TRUE(BuildShortcutPath(folder.c_str(), target.c_str(), out, PathCapacity));
  EXPECT_EQ(std::wstring(out), folder + L"\\" + name + L".lnk");
  EXPECT_EQ(std::wstring(out).size(), PathCapacity - 1);

  const std::wstring longer = folder + L"f";
  EXPECT_FALSE(BuildShortcutPath(longer.c_str(), target.c_str(), out, PathCapacity));
  EXPECT_EQ(out[0], L'\0');
  EXPECT_FALSE(BuildShortcutPath(folder.c_str(), target.c_str(), out, PathCapacity - 1));
}

}  // namespace
