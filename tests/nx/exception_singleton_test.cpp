// First use of the exception singletons from many threads at once gives one instance each.
// A program of its own: the race is only there while nothing has made them yet.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "nx/NxExceptions.h"

TEST(ExceptionSingletons, RacingFirstReportsMakeExactlyOneOfEach) {
  constexpr int kThreads = 16;
  std::atomic<int> ready{0};
  std::atomic<bool> go{false};
  std::vector<TNxExceptionCentral*> centrals(kThreads);
  std::vector<TNxExceptionInfoFactory*> factories(kThreads);
  std::vector<HRESULT> results(kThreads);
  std::vector<std::thread> threads;
  for (int i = 0; i < kThreads; ++i)
    threads.emplace_back([&, i] {
      ++ready;
      while (!go) SwitchToThread();
      results[i] = HandleSafeCallException(nullptr, Exception("first"));
      centrals[i] = ExceptionCentral();
      factories[i] = ExceptionInfoFactory();
    });
  while (ready < kThreads) SwitchToThread();
  go = true;
  for (auto& t : threads) t.join();
  for (int i = 0; i < kThreads; ++i) {
    EXPECT_EQ(results[i], E_FAIL);
    EXPECT_EQ(centrals[i], centrals[0]);
    EXPECT_EQ(factories[i], factories[0]);
  }
  EXPECT_NE(centrals[0], nullptr);
}
