// Date and time: TDateTime values, the calendar, and the locale's date-time text.
//
// A TDateTime counts days since 1899-12-30 00:00; the fraction is the time of day. Values run
// from 0001-01-01 to 9999-12-31 (proleptic Gregorian calendar). Before 1899-12-30 the integer
// part is negative and the fraction still counts forward from midnight (-1.25 is 1899-12-29 06:00).
// Times are resolved to whole milliseconds, rounded to the nearest.
#pragma once

#include <windows.h>

#include <string>

using TDateTime = double;

constexpr int HoursPerDay = 24;
constexpr int MinsPerDay = HoursPerDay * 60;
constexpr int SecsPerDay = MinsPerDay * 60;
constexpr int MSecsPerDay = SecsPerDay * 1000;

// The locale facts that date-time text is built from and read back with. Pictures use the
// Windows picture syntax (d dd ddd dddd, M MM MMM MMMM, y yy yyyy, h hh H HH, m mm, s ss, t tt,
// 'quoted text'; g/gg, the era, is written as nothing).
struct TFormatSettings {
  std::string ShortDateFormat = "M/d/yyyy";
  std::string LongTimeFormat = "h:mm:ss tt";
  std::string TimeAMString = "AM";
  std::string TimePMString = "PM";
  std::string ShortMonthNames[12];  // January first
  std::string LongMonthNames[12];
  std::string ShortDayNames[7];     // Sunday first
  std::string LongDayNames[7];
};

// The settings of a locale as Windows reports them (user overrides included for the user locale).
TFormatSettings GetLocaleFormatSettings(LCID Locale = LOCALE_USER_DEFAULT);
// The user locale's settings, read once per process on first use (as the class library reads
// its format variables at start-up).
const TFormatSettings& DefaultFormatSettings();

bool IsLeapYear(int Year);
int DaysInMonth(int Year, int Month);

// EConvertError for a date outside 1..9999 or a day not in the month, and for a time outside
// 0..23:59:59.999.
TDateTime EncodeDate(int Year, int Month, int Day);
TDateTime EncodeTime(int Hour, int Min, int Sec, int MSec);
bool TryEncodeDate(int Year, int Month, int Day, TDateTime& Result);
bool TryEncodeTime(int Hour, int Min, int Sec, int MSec, TDateTime& Result);
// A date plus a time of day, also for dates before 1899-12-30.
TDateTime ComposeDateTime(TDateTime DatePart, TDateTime TimePart);

// EConvertError for a value outside the supported range.
void DecodeDate(TDateTime DateTime, WORD& Year, WORD& Month, WORD& Day);
void DecodeTime(TDateTime DateTime, WORD& Hour, WORD& Min, WORD& Sec, WORD& MSec);
// 1 = Sunday ... 7 = Saturday.
int DayOfWeek(TDateTime DateTime);

TDateTime SystemTimeToDateTime(const SYSTEMTIME& SystemTime);
TDateTime Now();   // local date and time
TDateTime Date();  // local date at midnight
TDateTime Time();  // local time of day

// Picture formatting of one value.
std::string FormatDateTime(const std::string& Picture, TDateTime DateTime,
                           const TFormatSettings& Settings);

// The short date, a blank and the long time; only the short date when the time is 00:00:00.000.
std::string DateTimeToStr(TDateTime DateTime);
std::string DateTimeToStr(TDateTime DateTime, const TFormatSettings& Settings);

// Reads what DateTimeToStr writes, leniently: the date fields in the order of the short date
// picture, separated by the picture's separators or by '/', '-', '.', ',' and blanks (month names
// and day names are understood); a date without a year takes the current one, a two-digit year
// the nearest century; an optional time h:m[:s[.ms]] with the long time's separator or ':', an
// AM or PM designator before or after it (12 AM is midnight, 12 PM noon); a date alone is
// midnight, a time alone falls on 1899-12-30.
// StrToDateTime raises EConvertError "'<text>' is not a valid date and time".
TDateTime StrToDateTime(const std::string& S);
TDateTime StrToDateTime(const std::string& S, const TFormatSettings& Settings);
bool TryStrToDateTime(const std::string& S, TDateTime& Value);
bool TryStrToDateTime(const std::string& S, TDateTime& Value, const TFormatSettings& Settings);
