// The click engine's start and stop paths with real threads. Both buttons are
// disabled here, so the threads click nothing while they run.
#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include "click_test_support.h"
#include "clicker/click_engine.h"
#include "clicker/click_settings.h"
#include "clicker/hotkeys.h"

namespace {

int ThreadsOfThisProcess() {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return -1;
  int count = 0;
  THREADENTRY32 entry = {};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
    if (entry.th32OwnerProcessID == GetCurrentProcessId()) ++count;
  }
  CloseHandle(snapshot);
  return count;
}

bool ThreadCountReturnsTo(int expected) {
  for (int i = 0; i < 500; ++i) {
    if (ThreadsOfThisProcess() == expected) return true;
    Sleep(10);
  }
  return false;
}

class ClickEngine : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    static const bool locks = (InitializeClickLocks(), true);
    (void)locks;
  }
  void SetUp() override {
    // A pause of a minute: a thread that ends quickly after a stop had it cut short.
    Store(ClickSettings, {8, 10, Disabled, Disabled, 60000, 60000});
    ASSERT_TRUE(ReregisterClickHotKeys(owner_.get()));
    baseline_ = ThreadsOfThisProcess();
  }
  void TearDown() override {
    OnHotKey(StopHotKeyId);
    EXPECT_TRUE(WaitForClickThreads(5000));
    UnregisterHotKey(owner_.get(), StartHotKeyId);
    UnregisterHotKey(owner_.get(), StopHotKeyId);
  }
  click_test::OwnerWindow owner_;
  int baseline_ = 0;
};

TEST_F(ClickEngine, StartRunsOneThreadPerButtonAndStopEndsThemWithoutWaitingOutThePause) {
  EXPECT_EQ(OnHotKey(StartHotKeyId), TRUE);
  EXPECT_TRUE(LeftRunning);
  EXPECT_TRUE(RightRunning);
  EXPECT_FALSE(WaitForClickThreads(50));
  EXPECT_EQ(ThreadsOfThisProcess(), baseline_ + 2);

  EXPECT_EQ(OnHotKey(StopHotKeyId), TRUE);
  EXPECT_FALSE(LeftRunning);
  EXPECT_FALSE(RightRunning);
  EXPECT_TRUE(WaitForClickThreads(3000));
  EXPECT_TRUE(ThreadCountReturnsTo(baseline_));
}

TEST_F(ClickEngine, RepeatedStartsWhileRunningCreateNoFurtherThreads) {
  OnHotKey(StartHotKeyId);
  const int running = ThreadsOfThisProcess();
  for (int i = 0; i < 50; ++i) OnHotKey(StartHotKeyId);
  EXPECT_EQ(ThreadsOfThisProcess(), running);
}

TEST_F(ClickEngine, AnyOtherIdentifierStopsAndAStopWhileIdleChangesNothing) {
  OnHotKey(StartHotKeyId);
  const WPARAM other = static_cast<WPARAM>(StartHotKeyId) + 0x10000;  // same low word, yet another id
  EXPECT_EQ(OnHotKey(other), TRUE);
  EXPECT_FALSE(LeftRunning);
  EXPECT_TRUE(WaitForClickThreads(3000));

  EXPECT_EQ(OnHotKey(StopHotKeyId), TRUE);
  EXPECT_FALSE(LeftRunning);
  EXPECT_FALSE(RightRunning);
  EXPECT_TRUE(ThreadCountReturnsTo(baseline_));
}

TEST_F(ClickEngine, RapidStartsAndStopsLeaveNoThreadBehind) {
  for (int i = 0; i < 300; ++i) {
    OnHotKey(StartHotKeyId);
    OnHotKey(StopHotKeyId);
  }
  EXPECT_TRUE(WaitForClickThreads(5000));
  EXPECT_TRUE(ThreadCountReturnsTo(baseline_));
}

}  // namespace
