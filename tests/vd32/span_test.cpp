// The date-time span: every unit a total of the whole span, truncated toward zero, with the
// milliseconds' count-up of a trailing 9.
#include <gtest/gtest.h>

#include "vd32/lxDateTimeCalc.h"

namespace {
// A realistic base: spans are differences of two large day numbers, with their rounding.
constexpr double kBase = 45000.5;
constexpr double kMs = 1.0 / 86400000.0;
}  // namespace

TEST(DateTimeSpan, TotalsInEveryUnit) {
  struct Row {
    const char* what;
    double begin, end;
    long long years, months, days, hours, minutes, seconds, mseconds;
  } rows[] = {
      {"3 days", kBase, kBase + 3, 0, 0, 3, 72, 4320, 259200, 259200000},
      {"-1.5 days", kBase, kBase - 1.5, 0, 0, -1, -36, -2160, -129600, -129600000},
      {"1999.5 ms", kBase, kBase + 1999.5 * kMs, 0, 0, 0, 0, 0, 1, 2000},
      {"1998.5 ms", kBase, kBase + 1998.5 * kMs, 0, 0, 0, 0, 0, 1, 1998},
      {"-1999.5 ms", kBase, kBase - 1999.5 * kMs, 0, 0, 0, 0, 0, -1, -1999},
      {"365.25 days", kBase, kBase + 365.25, 1, 12, 365, 8766, 525960, 31557600, 31557600000},
      {"equal", kBase, kBase, 0, 0, 0, 0, 0, 0, 0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    TDateTimeSpan s = ComputeSpan(r.begin, r.end);
    EXPECT_EQ(s.Years, r.years);
    EXPECT_EQ(s.Months, r.months);
    EXPECT_EQ(s.Days, r.days);
    EXPECT_EQ(s.Hours, r.hours);
    EXPECT_EQ(s.Minutes, r.minutes);
    EXPECT_EQ(s.Seconds, r.seconds);
    EXPECT_EQ(s.MSeconds, r.mseconds);
  }
}

TEST(DateTimeSpan, TheComponentRecomputesOnEitherTimeAndItsTotalsAreReadOnly) {
  TObjectPtr<TlxDateTimeCalc> Calc(TlxDateTimeCalc::Create(nullptr));
  EXPECT_EQ(Calc->Days(), 0);
  Calc->SetEndTime(kBase + 3);
  Calc->SetBeginTime(kBase);
  EXPECT_EQ(Calc->Days(), 3);
  Calc->SetEndTime(kBase + 10.5);
  EXPECT_EQ(Calc->Hours(), 252);
  SetInt64Prop(Calc.get(), "Days", 99);
  EXPECT_EQ(GetInt64Prop(Calc.get(), "Days"), 10);
  SetFloatProp(Calc.get(), "BeginTime", kBase + 10.5);
  EXPECT_EQ(Calc->MSeconds(), 0);
}
