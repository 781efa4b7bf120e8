// TlxDateTimeCalc: the span between two points in time, as a total in each of seven units.
#pragma once

#include <cstdint>

#include "classlib/SysDateTime.h"

// Each unit holds the whole span (a total, not a remainder), truncated toward zero.
struct TDateTimeSpan {
  int64_t Years = 0;
  int64_t Months = 0;
  int64_t Days = 0;
  int64_t Hours = 0;
  int64_t Minutes = 0;
  int64_t Seconds = 0;
  int64_t MSeconds = 0;
};

// EndTime - BeginTime in extended precision. Milliseconds whose last digit is 9 are counted up by
// one (a positive count only); every coarser unit comes from the unrounded value. Years and months
// are 365.25 and 30.4375 days. Equal times give all zeros.
TDateTimeSpan ComputeSpan(TDateTime BeginTime, TDateTime EndTime);
