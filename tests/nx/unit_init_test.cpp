// The ordered start-up list: rank order, re-entry, failures, late steps, shutdown, threads.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "classlib/UnitInit.h"

namespace {
std::vector<std::string> g_log;
TUnitInitList* g_list = nullptr;
#define VD_STEP(n) \
  void Init##n() { g_log.push_back("+" #n); } \
  void Fini##n() { g_log.push_back("-" #n); }
VD_STEP(A)
VD_STEP(B)
VD_STEP(C)
void InitThrows() { throw std::runtime_error("start-up failed"); }
void InitReenters() {
  g_list->EnsureStarted();  // returns at once
  g_list->Add(1, {"C", &InitC, &FiniC});
  g_log.push_back("+R");
}
}  // namespace

TEST(UnitList, RankOrderReentryFailuresLateStepsAndReverseShutdown) {
  TUnitInitList list;
  g_list = &list;
  g_log.clear();
  list.Add(30, {"B", &InitB, &FiniB});
  list.Add(10, {"R", &InitReenters, nullptr});
  list.Add(20, {"T", &InitThrows, &FiniA});
  list.Add(30, {"A", &InitA, nullptr});
  EXPECT_TRUE(g_log.empty()) << "registration runs nothing";
  list.EnsureStarted();
  // C (rank 1) was added by R while the run went on: it starts next, in the same run.
  EXPECT_EQ(g_log, (std::vector<std::string>{"+R", "+C", "+B", "+A"}));
  EXPECT_EQ(list.StartedNames(), (std::vector<std::string>{"R", "C", "T", "B", "A"}));
  list.Finalize();
  list.Finalize();
  EXPECT_EQ(std::vector<std::string>(g_log.begin() + 4, g_log.end()), (std::vector<std::string>{"-B", "-A", "-C"}));
  list.Add(0, {"late", &InitA, nullptr});
  list.EnsureStarted();
  EXPECT_EQ(g_log.size(), 7u) << "nothing starts after shutdown";
}

TEST(UnitList, ConcurrentFirstUseStartsOnceAndEveryCallerWaitsForIt) {
  static std::atomic<int> runs{0};
  TUnitInitList list;
  list.Add(1, {"Slow", [] { Sleep(200); ++runs; }, nullptr});
  std::atomic<int> early{0};
  std::vector<std::thread> threads;
  for (int i = 0; i < 8; ++i)
    threads.emplace_back([&] {
      list.EnsureStarted();
      if (runs != 1) ++early;
    });
  for (auto& t : threads) t.join();
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(early, 0);
}
