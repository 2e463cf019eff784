// Settings against real INI files in a temporary folder, through the platform's
// private-profile functions.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "app/process_values.h"
#include "clicker/click_settings.h"
#include "clicker/settings.h"

namespace {

class SettingsFile : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    folder_ = std::wstring(temp) + L"qw_settings_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
              std::to_wstring(counter_++) + L"\\";
    CreateDirectoryW(folder_.c_str(), nullptr);
    path_ = folder_ + L"配置文件.ini";
    ASSERT_TRUE(CopyText(path_.c_str(), ConfigFilePath, PathCapacity));
    Store(ClickSettings, {0, 0, 0, 0, 0, 0});
  }
  void TearDown() override {
    DeleteFileW(path_.c_str());
    RemoveDirectoryW(path_.c_str());
    RemoveDirectoryW(folder_.c_str());
  }
  void WriteFileText(const std::string& text) {
    std::ofstream out(path_.c_str(), std::ios::binary);
    out << text;
  }
  std::string ReadFileText() {
    std::ifstream in(path_.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  static void ExpectValues(ClickValues expected) {
    const ClickValues got = SnapshotOf(ClickSettings);
    EXPECT_EQ(got.StartKey, expected.StartKey);
    EXPECT_EQ(got.EndKey, expected.EndKey);
    EXPECT_EQ(got.LeftKey, expected.LeftKey);
    EXPECT_EQ(got.RightKey, expected.RightKey);
    EXPECT_EQ(got.LeftInterval, expected.LeftInterval);
    EXPECT_EQ(got.RightInterval, expected.RightInterval);
  }

  std::wstring folder_, path_;
  static int counter_;
};
int SettingsFile::counter_ = 0;

TEST_F(SettingsFile, NoFileGivesTheDefaultsAndCreatesNothing) {
  LoadSettings();
  ExpectValues({8, 10, 1, 0, 1000, 1000});
  EXPECT_EQ(GetFileAttributesW(path_.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(SettingsFile, EachMissingKeyTakesItsOwnDefaultAndOtherSectionsAreIgnored) {
  WriteFileText("[Other]\r\nStartKey=1\r\nEndKey=2\r\n[Config]\r\nEndKey=3\r\nRightKey=2\r\nLeftInterval=-25\r\n");
  LoadSettings();
  ExpectValues({8, 3, 1, 2, -25, 1000});
}

TEST_F(SettingsFile, SaveWritesAllSixKeysInOrderAndKeepsOtherSections) {
  WriteFileText("[Mine]\r\nKeep=yes\r\n[Config]\r\nExtra=1\r\n");
  Store(ClickSettings, {3, 4, 2, 0, 0, -7});
  ASSERT_TRUE(SaveSettings());
  const std::string text = ReadFileText();
  EXPECT_NE(text.find("[Mine]\r\nKeep=yes"), std::string::npos) << text;
  EXPECT_NE(text.find("Extra=1"), std::string::npos) << text;
  const size_t config = text.find("[Config]");
  ASSERT_NE(config, std::string::npos);
  EXPECT_NE(text.find("StartKey=3\r\nEndKey=4\r\nLeftKey=2\r\nRightKey=0\r\nLeftInterval=0\r\nRightInterval=-7", config),
            std::string::npos)
      << text;

  Store(ClickSettings, {0, 0, 0, 0, 0, 0});
  LoadSettings();
  ExpectValues({3, 4, 2, 0, 0, -7});
}

TEST_F(SettingsFile, ANewFileHoldsTheSectionAndTheSixKeys) {
  Store(ClickSettings, {8, 10, 1, 0, 1000, 1000});
  ASSERT_TRUE(SaveSettings());
  EXPECT_EQ(ReadFileText(),
            "[Config]\r\nStartKey=8\r\nEndKey=10\r\nLeftKey=1\r\nRightKey=0\r\nLeftInterval=1000\r\nRightInterval=1000\r\n");
}

TEST_F(SettingsFile, AnUnwritableFileMakesTheSaveFailAndKeepsTheValues) {
  // A folder where the file should be: writing fails even for root.
  ASSERT_TRUE(CreateDirectoryW(path_.c_str(), nullptr));
  Store(ClickSettings, {1, 2, 1, 1, 10, 20});
  EXPECT_FALSE(SaveSettings());
  ExpectValues({1, 2, 1, 1, 10, 20});
}

TEST(ModulePaths, DirectoryOfTheRunningModuleEndsInABackslashAndHoldsTheSettingsFile) {
  wchar_t directory[PathCapacity];
  ASSERT_TRUE(GetModuleDirectory(directory));
  wchar_t module[MAX_PATH];
  GetModuleFileNameW(nullptr, module, MAX_PATH);
  const std::wstring full(module), dir(directory);
  ASSERT_FALSE(dir.empty());
  EXPECT_EQ(dir.back(), L'\\');
  EXPECT_EQ(full.substr(0, dir.size()), dir);
  EXPECT_EQ(full.find(L'\\', dir.size()), std::wstring::npos);

  BuildProcessValues();
  EXPECT_EQ(std::wstring(ModuleDirectory), dir);
  EXPECT_EQ(std::wstring(ModulePath), full);
  EXPECT_EQ(std::wstring(ShortcutWorkingDirectory), dir);
  EXPECT_EQ(std::wstring(ConfigFilePath), dir + L"配置文件.ini");
}

TEST(ModulePaths, ASettingsPathThatWouldNotFitIsLeftEmptySoNothingIsReadOrWritten) {
  const std::wstring saved = ModuleDirectory;
  const std::wstring longDirectory = L"C:\\" + std::wstring(250, L'd') + L"\\";  // 254 characters
  ASSERT_TRUE(CopyText(longDirectory.c_str(), ModuleDirectory, PathCapacity));
  BuildConfigFilePath();
  EXPECT_EQ(ConfigFilePath[0], L'\0');
  Store(ClickSettings, {0, 0, 0, 0, 0, 0});
  LoadSettings();
  EXPECT_EQ(ClickSettings.StartKey.load(), 8);
  EXPECT_FALSE(SaveSettings());
  CopyText(saved.c_str(), ModuleDirectory, PathCapacity);
  BuildConfigFilePath();
}

}  // namespace
