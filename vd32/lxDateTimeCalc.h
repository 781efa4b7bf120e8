// TlxDateTimeCalc: the span between two points in time, as a total in each of seven units.
#pragma once

#include "classlib/SysDateTime.h"
#include "lx/lxBase.h"

// Each unit holds the whole span (a total, not a remainder), truncated toward zero.
struct TDateTimeSpan {
  long long Years = 0;
  long long Months = 0;
  long long Days = 0;
  long long Hours = 0;
  long long Minutes = 0;
  long long Seconds = 0;
  long long MSeconds = 0;
};

// EndTime - BeginTime in extended precision. Milliseconds whose last digit is 9 are counted up by
// one (a positive count only); every coarser unit comes from the unrounded value. Years and months
// are 365.25 and 30.4375 days. Equal times give all zeros.
TDateTimeSpan ComputeSpan(TDateTime BeginTime, TDateTime EndTime);

// The component: setting either time recomputes all seven totals at once. The totals are
// published (written to form resources) but read-only: writing one changes nothing.
class TlxDateTimeCalc : public TlxComponent {
  VD_CLASS(TlxDateTimeCalc, TlxComponent);

public:
  using TlxComponent::TlxComponent;

  TDateTime BeginTime() const noexcept { return FBeginTime; }
  void SetBeginTime(TDateTime Value);
  TDateTime EndTime() const noexcept { return FEndTime; }
  void SetEndTime(TDateTime Value);

  long long Years() const noexcept { return FSpan.Years; }
  long long Months() const noexcept { return FSpan.Months; }
  long long Days() const noexcept { return FSpan.Days; }
  long long Hours() const noexcept { return FSpan.Hours; }
  long long Minutes() const noexcept { return FSpan.Minutes; }
  long long Seconds() const noexcept { return FSpan.Seconds; }
  long long MSeconds() const noexcept { return FSpan.MSeconds; }

private:
  TDateTime FBeginTime = 0;
  TDateTime FEndTime = 0;
  TDateTimeSpan FSpan;
};
