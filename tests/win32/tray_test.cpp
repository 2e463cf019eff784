// The tray record as the shell receives it, and the shell version it is sized by.
#include <windows.h>
#include <shellapi.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <string>

#include "app/main_dialog.h"
#include "desktop/tray.h"
#include "desktop/tray_record.h"

namespace {

// What a shell library's DllGetVersion might report, and what it was handed.
struct FakeVersion {
  DWORD major, minor;
  HRESULT result;
};
FakeVersion fakeVersion;
DLLVERSIONINFO fakeReceived;

HRESULT CALLBACK FakeDllGetVersion(DLLVERSIONINFO* info) {
  fakeReceived = *info;
  if (SUCCEEDED(fakeVersion.result)) {
    info->dwMajorVersion = fakeVersion.major;
    info->dwMinorVersion = fakeVersion.minor;
    info->dwBuildNumber = 1234;
    info->dwPlatformID = DLLVER_PLATFORM_NT;
  }
  return fakeVersion.result;
}

TEST(TrayRecordSize, FollowsTheShellVersionWithTheHeadersSizes) {
  const struct {
    FakeVersion reported;
    UINT size;
  } cases[] = {
      {{4, 0, S_OK}, NOTIFYICONDATAW_V2_SIZE},   {{4, 71, S_OK}, NOTIFYICONDATAW_V2_SIZE},
      {{4, 72, S_OK}, NOTIFYICONDATAW_V2_SIZE},  {{5, 0, S_OK}, sizeof(NOTIFYICONDATAW)},
      {{6, 0, S_OK}, sizeof(NOTIFYICONDATAW)},   {{6, 1, S_OK}, sizeof(NOTIFYICONDATAW)},
      {{6, 0, E_FAIL}, NOTIFYICONDATAW_V2_SIZE},  // a failing library gives version 0
  };
  for (const auto& c : cases) {
    fakeVersion = c.reported;
    std::memset(&fakeReceived, 0xCC, sizeof(fakeReceived));
    const uint64_t version = ReadDllVersion(FakeDllGetVersion);
    EXPECT_EQ(fakeReceived.cbSize, 20u);
    EXPECT_EQ(fakeReceived.dwMajorVersion, 0u);
    EXPECT_EQ(version, SUCCEEDED(c.reported.result) ? MAKEDLLVERULL(c.reported.major, c.reported.minor, 0, 0) : 0);
    EXPECT_EQ(TrayRecordSize(version, sizeof(NOTIFYICONDATAW), NOTIFYICONDATAW_V2_SIZE), c.size)
        << c.reported.major << "." << c.reported.minor;
  }
#ifndef _WIN64
  EXPECT_EQ(sizeof(NOTIFYICONDATAW), 956u);
  EXPECT_EQ(NOTIFYICONDATAW_V2_SIZE, 936u);
#endif
  EXPECT_EQ(ReadDllVersion(nullptr), 0u);
}

TEST(GetShellVersion, ReadsTheRealShellLibrary) {
  HMODULE shell = LoadLibraryW(L"Shell32.dll");
  ASSERT_NE(shell, nullptr);
  EXPECT_GE(GetShellVersion(shell) >> 32, 0x50000u);
}

TEST(GetShellVersion, UnloadsTheLibraryWhetherItHasTheExportOrNot) {
  // Libraries nothing else in this process uses, so their unloading shows.
  const struct {
    const wchar_t* name;
    bool hasVersion;
  } cases[] = {{L"msimg32.dll", false}, {L"cabinet.dll", true}};
  for (const auto& c : cases) {
    ASSERT_EQ(GetModuleHandleW(c.name), nullptr) << c.name;
    HMODULE library = LoadLibraryW(c.name);
    ASSERT_NE(library, nullptr) << c.name;
    ASSERT_EQ(GetProcAddress(library, "DllGetVersion") != nullptr, c.hasVersion) << c.name;
    EXPECT_EQ(GetShellVersion(library) != 0, c.hasVersion) << c.name;
    EXPECT_EQ(GetModuleHandleW(c.name), nullptr) << c.name;
  }
}

TEST(PrepareTrayIcon, FillsTheRecordOnceForEveryAddAndDelete) {
  HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  std::memset(&TrayIconData, 0xCC, sizeof(TrayIconData));
  PrepareTrayIcon(window);

  // Wine's and every current shell library are 5.0 or later.
  EXPECT_EQ(TrayIconData.cbSize, sizeof(NOTIFYICONDATAW));
  EXPECT_EQ(TrayIconData.hWnd, window);
  EXPECT_EQ(TrayIconData.uID, 1u);
  EXPECT_EQ(TrayIconData.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
  EXPECT_EQ(TrayIconData.uFlags, 7u);
  EXPECT_EQ(TrayIconData.uCallbackMessage, WM_TRAYICON);
  EXPECT_EQ(TrayIconData.uCallbackMessage, 1024u);
  EXPECT_EQ(std::wstring(TrayIconData.szTip), L"青梧鼠标连点器v0.2");
  // The rest of the tip, state, balloon texts and balloon icon: all zero.
  const auto* bytes = reinterpret_cast<const unsigned char*>(&TrayIconData);
  const size_t tipEnd = offsetof(NOTIFYICONDATAW, szTip) + (wcslen(TrayIconData.szTip) + 1) * sizeof(wchar_t);
  for (size_t i = tipEnd; i < sizeof(TrayIconData); ++i) ASSERT_EQ(bytes[i], 0) << "byte " << i;
  DestroyWindow(window);
}

TEST(TaskbarCreated, IsRecognisedByItsRegisteredNumberOnly) {
  const UINT taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
  ASSERT_NE(taskbarCreated, 0u);
  const struct {
    UINT message;
    bool recognised;
  } cases[] = {{taskbarCreated, true},
               {0, false},
               {WM_TRAYICON, false},
               {WM_COMMAND, false},
               {RegisterWindowMessageW(L"SomethingElse"), false}};
  for (const auto& c : cases) EXPECT_EQ(IsTaskbarCreatedMessage(c.message), c.recognised) << c.message;
}

}  // namespace
