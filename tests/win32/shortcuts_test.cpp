// Shortcut files written through the shell's link object and read back through it.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "app/process_values.h"
#include "desktop/shortcuts.h"

namespace {

struct Link {
  bool loaded = false;
  std::wstring target, workingDirectory, arguments, description;
};

Link ReadLink(const std::wstring& path) {
  Link link;
  IShellLinkW* shellLink = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              reinterpret_cast<void**>(&shellLink)))) {
    return link;
  }
  IPersistFile* file = nullptr;
  if (SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
    if (SUCCEEDED(file->Load(path.c_str(), STGM_READ))) {
      wchar_t text[MAX_PATH];
      link.loaded = true;
      text[0] = 0, shellLink->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH), link.target = text;
      text[0] = 0, shellLink->GetWorkingDirectory(text, MAX_PATH), link.workingDirectory = text;
      text[0] = 0, shellLink->GetArguments(text, MAX_PATH), link.arguments = text;
      text[0] = 0, shellLink->GetDescription(text, MAX_PATH), link.description = text;
    }
    file->Release();
  }
  shellLink->Release();
  return link;
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::wstring SpecialFolder(int folderId) {
  wchar_t path[MAX_PATH] = {};
  SHGetSpecialFolderPathW(nullptr, path, folderId, FALSE);
  return path;
}

// A folder of its own with two programs in it, and the process's paths pointing at
// the first, as start-up leaves them; everything is put back afterwards.
class Shortcuts : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    folder_ = std::wstring(temp) + L"qw_links_" + std::to_wstring(GetCurrentProcessId()) + L"\\";
    CreateDirectoryW(folder_.c_str(), nullptr);
    programs_[0] = folder_ + L"tool.exe";
    programs_[1] = folder_ + L"青梧连点.exe";
    CopyText(ModulePath, savedModulePath_, PathCapacity);
    CopyText(ShortcutWorkingDirectory, savedWorkingDirectory_, PathCapacity);
    UseProgram(programs_[0]);
  }
  void TearDown() override {
    for (const std::wstring& file : created_) DeleteFileW(file.c_str());
    RemoveDirectoryW(folder_.c_str());
    CopyText(savedModulePath_, ModulePath, PathCapacity);
    CopyText(savedWorkingDirectory_, ShortcutWorkingDirectory, PathCapacity);
    CoUninitialize();
  }
  void UseProgram(const std::wstring& path) {
    CopyText(path.c_str(), ModulePath, PathCapacity);
    CopyText(folder_.c_str(), ShortcutWorkingDirectory, PathCapacity);
  }
  std::wstring Created(const std::wstring& path) {
    created_.push_back(path);
    return path;
  }

  std::wstring folder_;
  std::wstring programs_[2];
  std::vector<std::wstring> created_;
  wchar_t savedModulePath_[PathCapacity], savedWorkingDirectory_[PathCapacity];
};

TEST_F(Shortcuts, LinkPointsAtTheProgramAndStartsInItsFolderAndASecondReplacesTheFirst) {
  const std::wstring link = Created(folder_ + L"tool.lnk");
  CreateShortcut(programs_[0].c_str(), link.c_str());
  Link read = ReadLink(link);
  ASSERT_TRUE(read.loaded);
  EXPECT_EQ(read.target, programs_[0]);
  EXPECT_EQ(read.workingDirectory, folder_);
  EXPECT_EQ(read.arguments, L"");
  EXPECT_EQ(read.description, L"");

  CreateShortcut(programs_[1].c_str(), link.c_str());
  read = ReadLink(link);
  ASSERT_TRUE(read.loaded);
  EXPECT_EQ(read.target, programs_[1]);
}

TEST_F(Shortcuts, NothingIsWrittenWithoutCom) {
  const std::wstring link = Created(folder_ + L"nocom.lnk");
  // A thread of its own never initialised COM, as after a failed CoInitialize at start-up.
  std::thread([&] { CreateShortcut(programs_[0].c_str(), link.c_str()); }).join();
  EXPECT_FALSE(Exists(link));
}

TEST_F(Shortcuts, PathIsTheBaseNameInTheSpecialFolderOrNothing) {
  const std::wstring desktop = SpecialFolder(CSIDL_DESKTOPDIRECTORY);
  const std::wstring programs = SpecialFolder(CSIDL_PROGRAMS);
  ASSERT_FALSE(desktop.empty());
  ASSERT_FALSE(programs.empty());
  const std::wstring longBase(50, L'n');
  const struct {
    std::wstring program;
    int folderId;
    std::wstring path;  // empty: refused
  } cases[] = {
      {programs_[0], CSIDL_DESKTOPDIRECTORY, desktop + L"\\tool.lnk"},
      {programs_[1], CSIDL_PROGRAMS, programs + L"\\青梧连点.lnk"},
      {folder_ + std::wstring(49, L'n') + L".exe", CSIDL_DESKTOPDIRECTORY,
       desktop + L"\\" + std::wstring(49, L'n') + L".lnk"},
      {folder_ + longBase + L".exe", CSIDL_DESKTOPDIRECTORY, L""},
      {L"", CSIDL_DESKTOPDIRECTORY, L""},  // the program's path did not fit at start-up
  };
  for (const auto& c : cases) {
    UseProgram(c.program);
    wchar_t out[MAX_PATH] = L"junk";
    EXPECT_EQ(GetShortcutPath(nullptr, c.folderId, out), !c.path.empty()) << c.program;
    EXPECT_EQ(std::wstring(out), c.path) << c.program;
  }
}

TEST_F(Shortcuts, DesktopAndProgramsCommandsWriteTheLinkThereAndReportHandled) {
  const struct {
    INT_PTR (*command)(HWND);
    int folderId;
  } cases[] = {{AddDesktopShortcut, CSIDL_DESKTOPDIRECTORY}, {AddProgramsShortcut, CSIDL_PROGRAMS}};
  for (const auto& c : cases) {
    const std::wstring link = Created(SpecialFolder(c.folderId) + L"\\tool.lnk");
    DeleteFileW(link.c_str());
    EXPECT_EQ(c.command(nullptr), 1);
    const Link read = ReadLink(link);
    ASSERT_TRUE(read.loaded) << c.folderId;
    EXPECT_EQ(read.target, programs_[0]);
    EXPECT_EQ(read.workingDirectory, folder_);
  }
  // With nothing to point at, nothing is written, and the command is still handled.
  UseProgram(L"");
  const std::wstring stray = SpecialFolder(CSIDL_DESKTOPDIRECTORY) + L"\\.lnk";
  EXPECT_EQ(AddDesktopShortcut(nullptr), 1);
  EXPECT_FALSE(Exists(Created(stray)));
}

}  // namespace
