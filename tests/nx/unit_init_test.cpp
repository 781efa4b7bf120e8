// The ordered start-up list: rank order, once-only across threads, re-entry, failures, shutdown.
#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include <windows.h>

#include "classlib/UnitInit.h"

namespace {
// Steps are plain function pointers, so each test's steps log through these globals.
std::vector<std::string> g_log;
TUnitInitList* g_list = nullptr;

#define VD_STEP(name)                                  \
  void Init_##name() { g_log.push_back("+" #name); }   \
  void Fini_##name() { g_log.push_back("-" #name); }
VD_STEP(A)
VD_STEP(B)
VD_STEP(C)
VD_STEP(D)

void Init_Throws() {
  g_log.push_back("+Throws");
  throw std::runtime_error("start-up failed");
}
void Init_Reenters() {
  g_log.push_back("+Reenters");
  g_list->EnsureStarted();  // must return at once
  g_log.push_back("reentered");
}
void Init_AddsLater() {
  g_log.push_back("+AddsLater");
  g_list->Add(1, {"D", &Init_D, &Fini_D});
}
std::atomic<int> g_slowRuns{0};
void Init_Slow() {
  Sleep(200);
  ++g_slowRuns;
}

class UnitList : public ::testing::Test {
protected:
  void SetUp() override {
    g_log.clear();
    g_list = &list;
  }
  TUnitInitList list;
};
}  // namespace

TEST_F(UnitList, StartsByRankThenRegistrationAndStopsInReverse) {
  list.Add(30, {"C", &Init_C, &Fini_C});
  list.Add(10, {"A", &Init_A, &Fini_A});
  list.Add(30, {"D", &Init_D, &Fini_D});
  list.Add(20, {"B", &Init_B, nullptr});
  EXPECT_TRUE(g_log.empty()) << "registration runs nothing";
  list.EnsureStarted();
  list.EnsureStarted();
  EXPECT_EQ(g_log, (std::vector<std::string>{"+A", "+B", "+C", "+D"}));
  EXPECT_EQ(list.StartedNames(), (std::vector<std::string>{"A", "B", "C", "D"}));
  list.Finalize();
  list.Finalize();
  EXPECT_EQ(g_log, (std::vector<std::string>{"+A", "+B", "+C", "+D", "-D", "-C", "-A"}));
  list.Add(5, {"late", &Init_A, nullptr});
  list.EnsureStarted();
  EXPECT_EQ(g_log.size(), 7u) << "nothing starts after shutdown";
  EXPECT_TRUE(list.Finalized());
}

TEST_F(UnitList, ReentryFromAStepAndFailingStepsDoNotStopTheRun) {
  list.Add(1, {"Reenters", &Init_Reenters, nullptr});
  list.Add(2, {"Throws", &Init_Throws, &Fini_A});
  list.Add(3, {"B", &Init_B, &Fini_B});
  list.EnsureStarted();
  EXPECT_EQ(g_log, (std::vector<std::string>{"+Reenters", "reentered", "+Throws", "+B"}));
  list.Finalize();
  EXPECT_EQ(g_log.back(), "-A") << "a failed step still gets its shutdown";
}

TEST_F(UnitList, StepsAddedWhileRunningOrAfterStartRunOnTheNextCall) {
  list.Add(10, {"AddsLater", &Init_AddsLater, nullptr});
  list.Add(20, {"B", &Init_B, nullptr});
  list.EnsureStarted();
  // D (rank 1) was added while AddsLater ran: it runs in the same pass, after what had started.
  EXPECT_EQ(g_log, (std::vector<std::string>{"+AddsLater", "+D", "+B"}));
  list.Add(0, {"C", &Init_C, nullptr});
  list.EnsureStarted();
  EXPECT_EQ(g_log.back(), "+C");
}

TEST_F(UnitList, ConcurrentFirstUseStartsEachStepOnceAndEveryCallerWaits) {
  g_slowRuns = 0;
  list.Add(1, {"Slow", &Init_Slow, nullptr});
  std::atomic<int> sawUnstarted{0};
  std::vector<std::thread> threads;
  for (int i = 0; i < 8; ++i)
    threads.emplace_back([&] {
      list.EnsureStarted();
      if (g_slowRuns.load() != 1 || !list.Started()) ++sawUnstarted;
    });
  for (auto& t : threads) t.join();
  EXPECT_EQ(g_slowRuns.load(), 1);
  EXPECT_EQ(sawUnstarted.load(), 0);
}
