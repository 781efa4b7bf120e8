#include "vd32/lxDateTimeCalc.h"

#include <cmath>
#include <limits>

static_assert(std::numeric_limits<long double>::digits == 64, "the span is computed in x87 extended precision");

namespace {

// Truncation toward zero; a value that no 64-bit integer holds gives 0.
long long Truncate(long double x) {
  constexpr long double kLimit = 9223372036854775808.0L;  // 2^63
  if (!std::isfinite(x) || x >= kLimit || x < -kLimit) return 0;
  return static_cast<long long>(x);
}

// The unit factors are single-precision constants (all exact); the arithmetic is extended.
constexpr float kMSecsPerDay = 86400000.0f;
constexpr float kMSecsPerSec = 1000.0f;
constexpr float kSecsPerMin = 60.0f;
constexpr float kMinsPerHour = 60.0f;
constexpr float kHoursPerDay = 24.0f;
constexpr float kDaysPerMonth = 30.4375f;
constexpr float kDaysPerYear = 365.25f;

}  // namespace

TDateTimeSpan ComputeSpan(TDateTime BeginTime, TDateTime EndTime) {
  TDateTimeSpan span;
  if (EndTime == BeginTime) return span;
  const long double days = static_cast<long double>(EndTime) - static_cast<long double>(BeginTime);
  long double x = days * kMSecsPerDay;
  span.MSeconds = Truncate(x);
  if (span.MSeconds % 10 == 9) ++span.MSeconds;
  x /= kMSecsPerSec;
  span.Seconds = Truncate(x);
  x /= kSecsPerMin;
  span.Minutes = Truncate(x);
  x /= kMinsPerHour;
  span.Hours = Truncate(x);
  x /= kHoursPerDay;
  span.Days = Truncate(x);
  span.Months = static_cast<long long>(days / kDaysPerMonth);
  span.Years = static_cast<long long>(days / kDaysPerYear);
  return span;
}

// ---- TlxDateTimeCalc ----------------------------------------------------------------------------

namespace {
// The totals are written to form resources but never read back from them.
void Ignore(TlxDateTimeCalc&, const long long&) {}
}  // namespace

VD_DEFINE_CLASS(TlxDateTimeCalc) {
  C.Property("BeginTime", &TlxDateTimeCalc::FBeginTime, &TlxDateTimeCalc::SetBeginTime);
  C.Property("EndTime", &TlxDateTimeCalc::FEndTime, &TlxDateTimeCalc::SetEndTime);
  C.Property("Years", &TlxDateTimeCalc::Years, &Ignore).NoDefault();
  C.Property("Months", &TlxDateTimeCalc::Months, &Ignore).NoDefault();
  C.Property("Days", &TlxDateTimeCalc::Days, &Ignore).NoDefault();
  C.Property("Hours", &TlxDateTimeCalc::Hours, &Ignore).NoDefault();
  C.Property("Minutes", &TlxDateTimeCalc::Minutes, &Ignore).NoDefault();
  C.Property("Seconds", &TlxDateTimeCalc::Seconds, &Ignore).NoDefault();
  C.Property("MSeconds", &TlxDateTimeCalc::MSeconds, &Ignore).NoDefault();
}

void TlxDateTimeCalc::SetBeginTime(TDateTime Value) {
  FBeginTime = Value;
  FSpan = ComputeSpan(FBeginTime, FEndTime);
}

void TlxDateTimeCalc::SetEndTime(TDateTime Value) {
  FEndTime = Value;
  FSpan = ComputeSpan(FBeginTime, FEndTime);
}
