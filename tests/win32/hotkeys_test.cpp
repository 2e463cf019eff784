// Hot-key identifiers and registration against the platform's real hot-key table,
// with keys held by another process.
#include <windows.h>

#include <gtest/gtest.h>

#include "click_test_support.h"
#include "clicker/click_settings.h"
#include "clicker/hotkeys.h"
#include "clicker/save_flow.h"

namespace {

using click_test::KeyHeldElsewhere;
using click_test::KeyTaken;
using click_test::MessageBoxAnswerer;
using click_test::OwnerWindow;

constexpr UINT F(int n) { return VK_F1 + n - 1; }

class HotKeys : public ::testing::Test {
 protected:
  void TearDown() override {
    UnregisterHotKey(owner_.get(), StartHotKeyId);
    UnregisterHotKey(owner_.get(), StopHotKeyId);
  }
  static void Use(int32_t startKey, int32_t endKey) { Store(ClickSettings, {startKey, endKey, 1, 0, 1000, 1000}); }
  OwnerWindow owner_;
};

// First in this file, so that nothing in the process has derived the identifiers
// before the failed check.
TEST_F(HotKeys, SaveAfterAFailedStartupCheckRegistersBothKeysUnderIdsFromTheAtoms) {
  Store(ClickSettings, {4, 4, 1, 0, 1000, 1000});
  MessageBoxAnswerer box(L"配置错误");
  CheckSettingsAtStartup(owner_.get());
  ASSERT_TRUE(box.Wait());
  EXPECT_EQ(
      box.text,
      L"配置文件不正确，连点操作将无法启动。\n此问题可能是由于手工修改配置文件造成的。请重新设置配置项并保存配置。"
      L"\n详情参见常见问题。");
  EXPECT_EQ(box.owner, owner_.get());
  EXPECT_FALSE(KeyTaken(F(5))) << "a failed check registers nothing";

  Use(4, 6);
  ASSERT_TRUE(ReregisterClickHotKeys(owner_.get()));
  EXPECT_TRUE(KeyTaken(F(5)));
  EXPECT_TRUE(KeyTaken(F(7)));
  EXPECT_EQ(StartHotKeyId, static_cast<WORD>(GlobalFindAtomW(L"Qw_ZururOvuvu_Start") + 0x4000));
  EXPECT_EQ(StopHotKeyId, static_cast<WORD>(GlobalFindAtomW(L"Qw_ZururOvuvu_End") + 0x4000));
  EXPECT_NE(StartHotKeyId, StopHotKeyId);
  EXPECT_LE(StartHotKeyId, 0x3FFF);
  EXPECT_LE(StopHotKeyId, 0x3FFF);
}

TEST_F(HotKeys, DefaultsRegisterF9AndF11) {
  Use(8, 10);
  ASSERT_TRUE(RegisterClickHotKeys(owner_.get()));
  EXPECT_TRUE(KeyTaken(F(9)));
  EXPECT_TRUE(KeyTaken(F(11)));
  EXPECT_FALSE(KeyTaken(F(10)));
}

TEST_F(HotKeys, ReregistrationSwapsAndMovesKeysWithoutCollidingWithItself) {
  const struct {
    int32_t fromStart, fromEnd, toStart, toEnd;
  } cases[] = {{8, 10, 10, 8}, {8, 10, 10, 2}, {8, 10, 3, 8}, {0, 1, 0, 1}};
  for (const auto& c : cases) {
    Use(c.fromStart, c.fromEnd);
    ASSERT_TRUE(ReregisterClickHotKeys(owner_.get()));
    Use(c.toStart, c.toEnd);
    EXPECT_TRUE(ReregisterClickHotKeys(owner_.get())) << c.toStart << "/" << c.toEnd;
    for (int32_t index = 0; index < HotKeyChoiceCount; ++index) {
      const bool expected = index == c.toStart || index == c.toEnd;
      EXPECT_EQ(KeyTaken(VK_F1 + index), expected) << "F" << index + 1 << " after " << c.toStart << "/" << c.toEnd;
    }
  }
}

TEST_F(HotKeys, AKeyHeldByAnotherProcessLeavesNeitherKeyRegistered) {
  const struct {
    const char* name;
    UINT held;
    int32_t startKey, endKey;
    UINT other;  // the key of the two that is not held
  } cases[] = {
      {"start key held: the stop key is not tried", F(3), 2, 3, F(4)},
      {"stop key held: the start key is given back", F(6), 4, 5, F(5)},
  };
  for (const auto& c : cases) {
    KeyHeldElsewhere holder(c.held);
    ASSERT_TRUE(holder.held()) << c.name;
    Use(c.startKey, c.endKey);
    EXPECT_FALSE(RegisterClickHotKeys(owner_.get())) << c.name;
    EXPECT_FALSE(KeyTaken(c.other)) << c.name;

    Use(8, 10);
    ASSERT_TRUE(ReregisterClickHotKeys(owner_.get())) << c.name;
    Use(c.startKey, c.endKey);
    EXPECT_FALSE(ReregisterClickHotKeys(owner_.get())) << c.name;
    EXPECT_FALSE(KeyTaken(c.other)) << c.name;
    EXPECT_FALSE(KeyTaken(F(9))) << c.name << ": the earlier keys were released";
    EXPECT_FALSE(KeyTaken(F(11))) << c.name;
  }
}

TEST_F(HotKeys, StartupWithAKeyHeldElsewhereShowsTheHotKeyMessage) {
  KeyHeldElsewhere holder(F(9));
  ASSERT_TRUE(holder.held());
  Use(8, 10);
  MessageBoxAnswerer box(L"注册热键错误");
  CheckSettingsAtStartup(owner_.get());
  ASSERT_TRUE(box.Wait());
  EXPECT_EQ(box.text,
            L"注册开始与结束热键失败，连点操作将无法启动。\n此问题是因为已运行的软件已注册了此热键。"
            L"请重设热键并保存解决此问题。\n详情参见常见问题。");
  EXPECT_FALSE(KeyTaken(F(11)));
}

TEST_F(HotKeys, IndicesOutsideTheListRegisterNothing) {
  const struct { int32_t startKey, endKey; } cases[] = {{-1, 10}, {8, 11}, {11, 10}, {8, -1}};
  for (const auto& c : cases) {
    Use(c.startKey, c.endKey);
    EXPECT_FALSE(RegisterClickHotKeys(owner_.get())) << c.startKey << "/" << c.endKey;
    for (int32_t index = 0; index < HotKeyChoiceCount; ++index) EXPECT_FALSE(KeyTaken(VK_F1 + index));
    EXPECT_FALSE(KeyTaken(VK_F1 - 1)) << "index -1 must not become another key";
  }
}

}  // namespace
