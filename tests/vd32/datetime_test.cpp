// Date-time values and the locale's date-time text: the calendar, the picture formatter and the
// lenient reader that has to take back whatever the formatter writes.
#include "classlib/SysDateTime.h"
#include "classlib/SysUtils.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

namespace {

long long Millis(TDateTime v) { return std::llround(v * MSecsPerDay); }

TDateTime At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
  return ComposeDateTime(EncodeDate(y, mo, d), EncodeTime(h, mi, s, 0));
}

TFormatSettings UsSettings() {
  TFormatSettings fs;  // the defaults are the en_US pictures
  const char* months[12] = {"January", "February", "March",     "April",   "May",      "June",
                            "July",    "August",   "September", "October", "November", "December"};
  const char* days[7] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
  for (int i = 0; i < 12; ++i) {
    fs.LongMonthNames[i] = months[i];
    fs.ShortMonthNames[i] = std::string(months[i], 3);
  }
  for (int i = 0; i < 7; ++i) {
    fs.LongDayNames[i] = days[i];
    fs.ShortDayNames[i] = std::string(days[i], 3);
  }
  return fs;
}

TFormatSettings WithPictures(const char* date, const char* time) {
  TFormatSettings fs = UsSettings();
  fs.ShortDateFormat = date;
  fs.LongTimeFormat = time;
  return fs;
}

}  // namespace

TEST(Calendar, KnownDayNumbersAndTheirWayBack) {
  struct { int y, m, d; double serial; int weekday; } cases[] = {
      {1899, 12, 30, 0, 7}, {1900, 1, 1, 2, 2},       {2000, 1, 1, 36526, 7},
      {2024, 2, 29, 45351, 5}, {1, 1, 1, -693593, 2}, {9999, 12, 31, 2958465, 6},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.serial);
    EXPECT_EQ(EncodeDate(c.y, c.m, c.d), c.serial);
    WORD y, m, d;
    DecodeDate(c.serial, y, m, d);
    EXPECT_EQ(y, c.y);
    EXPECT_EQ(m, c.m);
    EXPECT_EQ(d, c.d);
    EXPECT_EQ(DayOfWeek(c.serial), c.weekday);
  }
}

TEST(Calendar, InvalidPartsRaiseConvertError) {
  EXPECT_THROW(EncodeDate(2023, 2, 29), EConvertError);
  EXPECT_THROW(EncodeDate(1900, 2, 29), EConvertError);
  EXPECT_NO_THROW(EncodeDate(2000, 2, 29));
  EXPECT_THROW(EncodeDate(2024, 13, 1), EConvertError);
  EXPECT_THROW(EncodeDate(0, 1, 1), EConvertError);
  EXPECT_THROW(EncodeTime(24, 0, 0, 0), EConvertError);
  EXPECT_THROW(EncodeTime(0, 60, 0, 0), EConvertError);
  EXPECT_THROW(EncodeTime(0, 0, 0, 1000), EConvertError);
  WORD y, m, d;
  EXPECT_THROW(DecodeDate(1e9, y, m, d), EConvertError);
}

TEST(Calendar, TimeOfDayRoundsToTheMillisecondAndCountsForwardBeforeDayZero) {
  WORD h, m, s, ms, y, mo, d;
  // A value just below a whole second must not read as the second before.
  DecodeTime(EncodeTime(13, 4, 5, 0) - 1e-12, h, m, s, ms);
  EXPECT_EQ(h * 10000 + m * 100 + s, 130405);
  EXPECT_EQ(ms, 0);
  DecodeDate(-1.25, y, mo, d);
  DecodeTime(-1.25, h, m, s, ms);
  EXPECT_EQ(y * 10000 + mo * 100 + d, 18991229);
  EXPECT_EQ(h, 6);
  EXPECT_EQ(ComposeDateTime(-1, 0.25), -1.25);
  // The last fraction of a day rounds into the next one.
  DecodeDate(EncodeDate(2024, 3, 5) + 0.9999999999, y, mo, d);
  EXPECT_EQ(d, 6);
}

TEST(DateTimeText, WritesShortDateAndLongTimeAndLeavesOutMidnight) {
  TFormatSettings us = UsSettings();
  EXPECT_EQ(DateTimeToStr(At(2024, 3, 5, 13, 4, 5), us), "3/5/2024 1:04:05 PM");
  EXPECT_EQ(DateTimeToStr(At(2024, 3, 5), us), "3/5/2024");
  EXPECT_EQ(DateTimeToStr(At(2024, 3, 5, 0, 0, 1), us), "3/5/2024 12:00:01 AM");
  EXPECT_EQ(DateTimeToStr(At(2024, 3, 5, 12, 0, 0), us), "3/5/2024 12:00:00 PM");
  EXPECT_EQ(DateTimeToStr(At(2024, 3, 5, 13, 4, 5), WithPictures("d.M.yyyy", "HH:mm:ss")), "5.3.2024 13:04:05");
  EXPECT_EQ(DateTimeToStr(At(2024, 3, 5, 9, 4, 5), WithPictures("dd/MM/yyyy", "HH:mm:ss")), "05/03/2024 09:04:05");
  EXPECT_EQ(FormatDateTime("dddd, MMMM d, yyyy 'at' h:mm tt ''yy", At(2024, 3, 5, 9, 4), us),
            "Tuesday, March 5, 2024 at 9:04 AM '24");
  EXPECT_EQ(FormatDateTime("ddd d MMM yy H t", At(2024, 3, 5, 21, 4), us), "Tue 5 Mar 24 21 P");
}

TEST(DateTimeText, ReadsDatesLenientlyInThePicturesOrder) {
  TFormatSettings us = UsSettings();
  TFormatSettings de = WithPictures("d.M.yyyy", "HH:mm:ss");
  TFormatSettings iso = WithPictures("yyyy-MM-dd", "HH:mm:ss");
  const long long march5 = Millis(At(2024, 3, 5));
  EXPECT_EQ(Millis(StrToDateTime("3/5/2024", us)), march5);
  EXPECT_EQ(Millis(StrToDateTime("  03-05-2024 ", us)), march5);
  EXPECT_EQ(Millis(StrToDateTime("5.3.2024", de)), march5);
  EXPECT_EQ(Millis(StrToDateTime("5/3/2024", de)), march5);
  EXPECT_EQ(Millis(StrToDateTime("2024-03-05", iso)), march5);
  EXPECT_EQ(Millis(StrToDateTime("March 5, 2024", us)), march5);
  EXPECT_EQ(Millis(StrToDateTime("Tuesday, Mar 5, 2024", us)), march5);
  EXPECT_EQ(Millis(StrToDateTime("5 march 2024", de)), march5);
  EXPECT_EQ(Millis(StrToDateTime("3/5/24", us)), march5);
  WORD y, m, d;
  DecodeDate(Date(), y, m, d);  // a date without a year falls in this year
  EXPECT_EQ(Millis(StrToDateTime("3/5", us)), Millis(EncodeDate(y, 3, 5)));
}

TEST(DateTimeText, ReadsTimesWithDesignatorsOnEitherSide) {
  TFormatSettings us = UsSettings();
  auto at = [](int h, int mi, int s) { return Millis(At(2024, 3, 5, h, mi, s)); };
  EXPECT_EQ(Millis(StrToDateTime("3/5/2024 1:04:05 PM", us)), at(13, 4, 5));
  EXPECT_EQ(Millis(StrToDateTime("3/5/2024 1:04:05 pm", us)), at(13, 4, 5));
  EXPECT_EQ(Millis(StrToDateTime("3/5/2024 12:00:00 AM", us)), at(0, 0, 0));
  EXPECT_EQ(Millis(StrToDateTime("3/5/2024 12:30:00 PM", us)), at(12, 30, 0));
  EXPECT_EQ(Millis(StrToDateTime("3/5/2024 PM 1:04", us)), at(13, 4, 0));
  EXPECT_EQ(Millis(StrToDateTime("3/5/2024 13:04:05", us)), at(13, 4, 5));
  EXPECT_EQ(Millis(StrToDateTime("3/5/2024 13:04:05.25", us)), at(13, 4, 5) + 250);
  EXPECT_EQ(Millis(StrToDateTime("1:04 PM", us)), Millis(EncodeTime(13, 4, 0, 0)));
  // With a dot both in the date and in the time the blank decides.
  TFormatSettings fi = WithPictures("d.M.yyyy", "H.mm.ss");
  EXPECT_EQ(Millis(StrToDateTime("5.3.2024 13.04.05", fi)), at(13, 4, 5));
  EXPECT_EQ(Millis(StrToDateTime("5.3.2024", fi)), Millis(At(2024, 3, 5)));
}

TEST(DateTimeText, RejectsWhatIsNoDateAndTime) {
  TFormatSettings us = UsSettings();
  for (const char* bad : {"", "   ", "abc", "NA", "3", "3/5/2024/7", "2/30/2024", "13/5/2024", "3/5/2024 25:00:00",
                          "3/5/2024 13:00:00 PM", "3/5/2024 PM", "3/5/2024 1:04:05 PM PM", "3/5/2024 1:04:05 xyz",
                          "3/5/2024 1:60", "3//5//2024x", "/3/5/2024", "3/5/10000", "Smarch 5, 2024"}) {
    TDateTime v = 123;
    EXPECT_FALSE(TryStrToDateTime(bad, v, us)) << '"' << bad << '"';
    EXPECT_EQ(v, 123) << "untouched on failure";
  }
  try {
    StrToDateTime("soon", us);
    FAIL() << "no error";
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "'soon' is not a valid date and time");
  }
}

TEST(DateTimeText, DoubleByteSignsInPicturesAndDesignators) {
  // Signs of a Japanese picture as code page 932 bytes; the second byte of the day sign is 0xFA
  // and that of the month sign 0x8E, so none of them may be taken apart.
  const std::string year = "\x94\x4e", month = "\x8c\x8e", day = "\x93\xfa";
  TFormatSettings fs = UsSettings();
  fs.ShortDateFormat = "yyyy'" + year + "'M'" + month + "'d'" + day + "'";
  fs.LongTimeFormat = "tt h:mm:ss";
  fs.TimeAMString = "\x8c\xdf\x91\x4f";
  fs.TimePMString = "\x8c\xdf\x8c\xe3";
  TDateTime v = At(2024, 3, 5, 13, 4, 5);
  std::string text = DateTimeToStr(v, fs);
  EXPECT_EQ(text, "2024" + year + "3" + month + "5" + day + " " + fs.TimePMString + " 1:04:05");
  EXPECT_EQ(Millis(StrToDateTime(text, fs)), Millis(v));
  EXPECT_EQ(Millis(StrToDateTime(DateTimeToStr(At(2024, 3, 5, 0, 0, 7), fs), fs)), Millis(At(2024, 3, 5, 0, 0, 7)));
}

// Runs once per locale from its own ctest entry, which sets LANG; skipped in the plain run.
class UserLocale : public ::testing::Test {
protected:
  void SetUp() override {
    const char* loc = std::getenv("VD_TEST_LOCALE");
    if (loc == nullptr || *loc == 0) GTEST_SKIP() << "VD_TEST_LOCALE not set";
    locale_ = loc;
  }
  std::string locale_;
};

TEST_F(UserLocale, PicturesFollowLang) {
  struct { const char* name; LCID lcid; const char* date; const char* time; UINT acp; } table[] = {
      {"en_US", 0x409, "M/d/yyyy", "h:mm:ss tt", 1252},
      {"de_DE", 0x407, "d.M.yyyy", "HH:mm:ss", 1252},
      {"en_GB", 0x809, "dd/MM/yyyy", "HH:mm:ss", 1252},
      {"ja_JP", 0x411, "yyyy/M/d", "H:mm:ss", 932},
  };
  for (const auto& row : table) {
    if (locale_ != row.name) continue;
    EXPECT_EQ(GetUserDefaultLCID(), row.lcid);
    EXPECT_EQ(GetACP(), row.acp);
    EXPECT_EQ(DefaultFormatSettings().ShortDateFormat, row.date);
    EXPECT_EQ(DefaultFormatSettings().LongTimeFormat, row.time);
    return;
  }
  FAIL() << "no expectations for " << locale_;
}

TEST_F(UserLocale, TextRoundTrips) {
  const TDateTime values[] = {
      At(2024, 3, 5),           At(2024, 3, 5, 0, 0, 1),  At(2024, 3, 5, 11, 59, 59), At(2024, 3, 5, 12, 0, 0),
      At(2024, 3, 5, 12, 0, 1), At(2024, 3, 5, 13, 4, 5), At(2024, 12, 31, 23, 59, 59), At(2024, 2, 29, 9, 8, 7),
      At(1999, 12, 31, 23, 0), At(2000, 1, 1),            At(1900, 3, 1, 6, 30),       At(2041, 10, 11, 21, 22, 23),
  };
  for (TDateTime v : values) {
    std::string text = DateTimeToStr(v);
    SCOPED_TRACE(text);
    TDateTime back = 0;
    ASSERT_TRUE(TryStrToDateTime(text, back));
    EXPECT_EQ(Millis(back), Millis(v));
  }
  EXPECT_EQ(DateTimeToStr(At(2024, 3, 5)).find(' '), std::string::npos) << "midnight writes the date only";
  // Now, to the second, as the snapshot program stores it.
  TDateTime now = Now();
  EXPECT_NEAR(StrToDateTime(DateTimeToStr(now)), now, 1.0 / SecsPerDay);
}

TEST_F(UserLocale, TwelveHourClockWithTheLocalesDesignators) {
  TFormatSettings fs = DefaultFormatSettings();
  if (fs.TimeAMString.empty() || fs.TimePMString.empty()) GTEST_SKIP() << "no designators";
  for (const char* picture : {"h:mm:ss tt", "tt h:mm:ss"}) {
    fs.LongTimeFormat = picture;
    for (int hour : {0, 1, 11, 12, 13, 23}) {
      TDateTime v = At(2024, 3, 5, hour, 0, 30);
      std::string text = DateTimeToStr(v, fs);
      SCOPED_TRACE(text);
      EXPECT_NE(text.find(hour < 12 ? fs.TimeAMString : fs.TimePMString), std::string::npos);
      EXPECT_EQ(Millis(StrToDateTime(text, fs)), Millis(v));
    }
  }
}
