// Timing for the benchmark programs: the performance counter in milliseconds, and the best of a
// number of runs of one measurement.
#pragma once

#include <windows.h>

#include <algorithm>

inline double NowMs() {
  LARGE_INTEGER f, t;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&t);
  return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(f.QuadPart);
}

// The fastest of runs calls of f, in milliseconds.
template <typename F>
double BestOf(int runs, F&& f) {
  double best = 1e300;
  for (int i = 0; i < runs; ++i) {
    double t0 = NowMs();
    f();
    best = std::min(best, NowMs() - t0);
  }
  return best;
}
