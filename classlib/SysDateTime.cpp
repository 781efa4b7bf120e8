#include "classlib/SysDateTime.h"

#include "classlib/SysUtils.h"

#include <cmath>
#include <cstdint>
#include <optional>
#include <vector>

namespace {

// 0001-01-01 and the last millisecond of 9999-12-31.
constexpr double kMinDateTime = -693593.0;
constexpr double kMaxDateTime = 2958466.0;  // exclusive
// Days from 1899-12-30 to 1970-01-01.
constexpr long long kUnixEpochDay = 25569;

// Proleptic Gregorian calendar, days counted from 1970-01-01.
long long DaysFromCivil(long long y, unsigned m, unsigned d) {
  y -= m <= 2 ? 1 : 0;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<long long>(doe) - 719468;
}

void CivilFromDays(long long z, int& year, int& month, int& day) {
  z += 719468;
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(static_cast<long long>(yoe) + era * 400 + (month <= 2 ? 1 : 0));
}

// A value as its calendar day (days since 1899-12-30) and its millisecond of that day.
struct DayAndTime {
  long long day;
  int msOfDay;
};

DayAndTime Split(TDateTime value) {
  if (!std::isfinite(value) || value < kMinDateTime || value >= kMaxDateTime)
    throw EConvertError("Invalid argument to date encode");
  double whole = std::trunc(value);
  long long day = static_cast<long long>(whole);
  long long ms = std::llround(std::fabs(value - whole) * MSecsPerDay);
  if (ms >= MSecsPerDay) {  // rounds up into the next calendar day
    ms -= MSecsPerDay;
    day += 1;
  }
  return {day, static_cast<int>(ms)};
}

int CompareAsciiNoCase(unsigned char a, unsigned char b) {
  if (a >= 'A' && a <= 'Z') a = static_cast<unsigned char>(a - 'A' + 'a');
  if (b >= 'A' && b <= 'Z') b = static_cast<unsigned char>(b - 'A' + 'a');
  return a - b;
}

bool IsLeadByte(unsigned char c) { return c >= 0x80 && IsDBCSLeadByte(c); }

// Length in bytes of the character at pos (2 for a double-byte pair).
size_t CharLen(const std::string& s, size_t pos) {
  if (IsLeadByte(static_cast<unsigned char>(s[pos])) && pos + 1 < s.size()) return 2;
  return 1;
}

// Case-insensitive (ASCII letters) match of what at s[pos...]; double-byte pairs match exactly.
bool MatchesAt(const std::string& s, size_t pos, const std::string& what) {
  if (what.empty() || pos + what.size() > s.size()) return false;
  for (size_t i = 0; i < what.size();) {
    unsigned char a = static_cast<unsigned char>(s[pos + i]), b = static_cast<unsigned char>(what[i]);
    if (IsLeadByte(b) && i + 1 < what.size()) {
      if (a != b || s[pos + i + 1] != what[i + 1]) return false;
      i += 2;
    } else {
      if (CompareAsciiNoCase(a, b) != 0) return false;
      ++i;
    }
  }
  return true;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsWordByte(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  return (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || u >= 0x80;
}

std::string Padded(int value, int width) {
  std::string s = std::to_string(value);
  while (static_cast<int>(s.size()) < width) s.insert(s.begin(), '0');
  return s;
}

// The first character of a designator (both bytes of a double-byte one).
std::string FirstChar(const std::string& s) { return s.empty() ? s : s.substr(0, CharLen(s, 0)); }

// ---- Pictures ----------------------------------------------------------------------------------

// One element of a picture: a field letter repeated Count times, or literal text.
struct PictureItem {
  char field = 0;  // 'd', 'M', 'y', 'g', 'h', 'H', 'm', 's', 't'; 0 for literal text
  int count = 0;
  std::string literal;
};

char FieldLetter(char c) {
  switch (c) {
    case 'd': case 'D': return 'd';
    case 'M': return 'M';
    case 'y': case 'Y': return 'y';
    case 'g': case 'G': return 'g';
    case 'h': return 'h';
    case 'H': return 'H';
    case 'm': return 'm';
    case 's': case 'S': return 's';
    case 't': case 'T': return 't';
    default: return 0;
  }
}

std::vector<PictureItem> ParsePicture(const std::string& picture) {
  std::vector<PictureItem> items;
  auto addLiteral = [&items](const std::string& text) {
    if (text.empty()) return;
    if (!items.empty() && items.back().field == 0)
      items.back().literal += text;
    else
      items.push_back({0, 0, text});
  };
  for (size_t i = 0; i < picture.size();) {
    char c = picture[i];
    if ((c == '\'' || c == '"') && i + 1 < picture.size() && picture[i + 1] == c) {  // a doubled quote
      addLiteral(std::string(1, c));
      i += 2;
      continue;
    }
    if (c == '\'' || c == '"') {  // quoted text; a doubled quote inside stands for itself
      std::string text;
      size_t j = i + 1;
      for (; j < picture.size(); j += CharLen(picture, j)) {
        if (picture[j] == c) {
          if (j + 1 < picture.size() && picture[j + 1] == c) {
            text += c;
            ++j;
            continue;
          }
          break;
        }
        text += picture.substr(j, CharLen(picture, j));
      }
      addLiteral(text);
      i = j < picture.size() ? j + 1 : j;
      continue;
    }
    char f = FieldLetter(c);
    if (f != 0) {
      size_t j = i;
      while (j < picture.size() && picture[j] == c) ++j;
      items.push_back({f, static_cast<int>(j - i), {}});
      i = j;
      continue;
    }
    size_t len = CharLen(picture, i);
    addLiteral(picture.substr(i, len));
    i += len;
  }
  return items;
}

// ---- Reading -----------------------------------------------------------------------------------

enum class TokenKind { Number, Word, Sep, Space, Designator };

struct Token {
  TokenKind kind;
  std::string text;
  int value = 0;   // Number: its value; Designator: 1 for PM
  int digits = 0;  // Number: digit count
};

class DateTimeReader {
public:
  DateTimeReader(const std::string& text, const TFormatSettings& fs) : text_(text), fs_(fs) {
    for (const PictureItem& item : ParsePicture(fs.ShortDateFormat)) {
      if (item.field == 0) AddSeparators(item.literal, dateSeps_);
      if ((item.field == 'd' && item.count <= 2) || item.field == 'M' || item.field == 'y')
        if (dateOrder_.find(item.field) == std::string::npos) dateOrder_ += item.field;
    }
    if (dateOrder_.size() != 3) dateOrder_ = "Mdy";
    for (const PictureItem& item : ParsePicture(fs.LongTimeFormat))
      if (item.field == 0) AddSeparators(item.literal, timeSeps_);
    for (const char* s : {"/", "-", ".", ","}) dateSeps_.push_back(s);
    timeSeps_.push_back(":");
    AddDesignator(fs.TimeAMString, 0);
    AddDesignator(fs.TimePMString, 1);
    AddDesignator("AM", 0);
    AddDesignator("PM", 1);
    std::string am1 = FirstChar(fs.TimeAMString), pm1 = FirstChar(fs.TimePMString);
    if (!am1.empty() && !pm1.empty() && !MatchesAt(am1, 0, pm1)) {
      AddDesignator(am1, 0);
      AddDesignator(pm1, 1);
    }
  }

  std::optional<TDateTime> Read() {
    if (!Tokenize()) return std::nullopt;
    std::optional<int> pm;
    std::vector<std::vector<Token>> chunks(1);
    for (const Token& t : tokens_) {
      if (t.kind == TokenKind::Designator) {
        if (pm) return std::nullopt;
        pm = t.value;
        if (!chunks.back().empty()) chunks.emplace_back();
      } else if (t.kind == TokenKind::Space) {
        if (!chunks.back().empty()) chunks.emplace_back();
      } else {
        chunks.back().push_back(t);
      }
    }
    if (chunks.back().empty()) chunks.pop_back();
    if (chunks.empty()) return std::nullopt;

    // The time is the last chunk that reads as one; a chunk whose separator could also part a
    // date counts as the time only when a date stands before it.
    int timeChunk = -1;
    for (int i = static_cast<int>(chunks.size()) - 1; i >= 0; --i) {
      if (!LooksLikeTime(chunks[i])) continue;
      bool ambiguous = IsIn(chunks[i][1].text, dateSeps_);
      if (!ambiguous || i > 0) timeChunk = i;
      break;
    }
    std::vector<Token> dateTokens;
    for (int i = 0; i < (timeChunk < 0 ? static_cast<int>(chunks.size()) : timeChunk); ++i) {
      if (i > 0) dateTokens.push_back({TokenKind::Space, " "});
      dateTokens.insert(dateTokens.end(), chunks[i].begin(), chunks[i].end());
    }
    if (timeChunk >= 0) {
      for (size_t i = timeChunk + 1; i < chunks.size(); ++i)
        for (const Token& t : chunks[i])
          if (!(t.kind == TokenKind::Word && IsIn(t.text, timeSeps_))) return std::nullopt;
    }

    TDateTime datePart = 0, timePart = 0;
    if (!dateTokens.empty()) {
      if (!ReadDate(dateTokens, datePart)) return std::nullopt;
    } else if (timeChunk < 0) {
      return std::nullopt;
    }
    if (timeChunk >= 0) {
      if (!ReadTime(chunks[timeChunk], pm, timePart)) return std::nullopt;
    } else if (pm) {
      return std::nullopt;
    }
    return ComposeDateTime(datePart, timePart);
  }

private:
  static void AddSeparators(const std::string& literal, std::vector<std::string>& seps) {
    // Blanks part the text anyway; every other character of the literal separates on its own,
    // and a run of letters (e.g. a double-byte year or month sign) separates as a whole.
    for (size_t i = 0; i < literal.size();) {
      if (static_cast<unsigned char>(literal[i]) <= ' ') {
        ++i;
      } else if (IsWordByte(literal[i])) {
        size_t j = i;
        while (j < literal.size() && IsWordByte(literal[j])) j += CharLen(literal, j);
        seps.push_back(literal.substr(i, j - i));
        i = j;
      } else {
        seps.push_back(literal.substr(i, 1));
        ++i;
      }
    }
  }

  void AddDesignator(const std::string& s, int isPm) {
    std::string t = Trim(s);
    if (!t.empty()) designators_.push_back({t, isPm});
  }

  static bool IsIn(const std::string& s, const std::vector<std::string>& set) {
    for (const std::string& x : set)
      if (s.size() == x.size() && MatchesAt(s, 0, x)) return true;
    return false;
  }

  static int FindName(const std::string& word, const std::string* names, int count) {
    for (int i = 0; i < count; ++i)
      if (!names[i].empty() && word.size() == names[i].size() && AnsiSameText(word, names[i])) return i;
    return -1;
  }

  bool Tokenize() {
    const std::string& s = text_;
    for (size_t i = 0; i < s.size();) {
      if (static_cast<unsigned char>(s[i]) <= ' ') {
        while (i < s.size() && static_cast<unsigned char>(s[i]) <= ' ') ++i;
        tokens_.push_back({TokenKind::Space, " "});
        continue;
      }
      if (TakeDesignator(i)) continue;
      if (IsDigit(s[i])) {
        size_t j = i;
        while (j < s.size() && IsDigit(s[j])) ++j;
        if (j - i > 9) return false;
        tokens_.push_back({TokenKind::Number, s.substr(i, j - i), std::stoi(s.substr(i, j - i)),
                           static_cast<int>(j - i)});
        i = j;
        continue;
      }
      if (IsWordByte(s[i])) {
        size_t j = i;
        while (j < s.size() && IsWordByte(s[j])) j += CharLen(s, j);
        tokens_.push_back({TokenKind::Word, s.substr(i, j - i)});
        i = j;
        continue;
      }
      tokens_.push_back({TokenKind::Sep, s.substr(i, 1)});
      ++i;
    }
    return true;
  }

  bool TakeDesignator(size_t& i) {
    const std::string& s = text_;
    if (i > 0 && IsWordByte(s[i - 1])) return false;
    size_t best = 0;
    int bestPm = 0;
    for (const auto& [d, isPm] : designators_) {
      if (d.size() <= best || !MatchesAt(s, i, d)) continue;
      size_t end = i + d.size();
      if (IsWordByte(d.back()) && end < s.size() && IsWordByte(s[end])) continue;
      best = d.size();
      bestPm = isPm;
    }
    if (best == 0) return false;
    tokens_.push_back({TokenKind::Designator, s.substr(i, best), bestPm});
    i += best;
    return true;
  }

  // Number, time separator, Number, then anything.
  bool LooksLikeTime(const std::vector<Token>& chunk) const {
    return chunk.size() >= 3 && chunk[0].kind == TokenKind::Number && chunk[2].kind == TokenKind::Number &&
           IsIn(chunk[1].text, timeSeps_);
  }

  bool ReadDate(const std::vector<Token>& tokens, TDateTime& result) const {
    struct Field {
      int value;
      int digits;
      bool isMonthName;
    };
    std::vector<Field> fields;
    bool needSep = false;
    for (size_t i = 0; i < tokens.size(); ++i) {
      const Token& t = tokens[i];
      if (t.kind == TokenKind::Number || t.kind == TokenKind::Word) {
        if (t.kind == TokenKind::Word) {
          int m = FindName(t.text, fs_.LongMonthNames, 12);
          if (m < 0) m = FindName(t.text, fs_.ShortMonthNames, 12);
          if (m >= 0) {
            if (needSep) return false;
            fields.push_back({m + 1, 0, true});
            needSep = true;
            continue;
          }
          if (FindName(t.text, fs_.LongDayNames, 7) >= 0 || FindName(t.text, fs_.ShortDayNames, 7) >= 0) {
            if (!fields.empty()) return false;  // a day name only leads the date
            continue;
          }
          if (!IsIn(t.text, dateSeps_) || fields.empty()) return false;
          needSep = false;
          continue;
        }
        if (needSep) return false;
        fields.push_back({t.value, t.digits, false});
        needSep = true;
        continue;
      }
      // A separator: a leading one may only follow a day name.
      if (t.kind == TokenKind::Space) {
        needSep = false;
        continue;
      }
      if (!IsIn(t.text, dateSeps_)) return false;
      if (fields.empty() && !(t.text == "," && i > 0)) return false;
      needSep = false;
    }
    if (fields.size() < 2 || fields.size() > 3) return false;

    int nameCount = 0;
    for (const Field& f : fields) nameCount += f.isMonthName ? 1 : 0;
    if (nameCount > 1) return false;

    // Hand the fields to day, month and year in the picture's order; a month given by name
    // takes the month, and a date without a year takes this year.
    std::string order = dateOrder_;
    if (fields.size() == 2) order.erase(order.find('y'), 1);
    int day = 0, month = 0, year = 0, yearDigits = 0;
    bool haveYear = false;
    std::vector<const Field*> numeric;
    for (const Field& f : fields) {
      if (f.isMonthName)
        month = f.value;
      else
        numeric.push_back(&f);
    }
    std::string slots;
    for (char c : order)
      if (!(nameCount == 1 && c == 'M')) slots += c;
    if (slots.size() != numeric.size()) return false;
    for (size_t i = 0; i < slots.size(); ++i) {
      switch (slots[i]) {
        case 'd': day = numeric[i]->value; break;
        case 'M': month = numeric[i]->value; break;
        case 'y': year = numeric[i]->value; yearDigits = numeric[i]->digits; haveYear = true; break;
      }
    }
    WORD thisYear, m_, d_;
    DecodeDate(::Date(), thisYear, m_, d_);
    if (!haveYear) {
      year = thisYear;
    } else if (yearDigits <= 2) {
      // The century that puts the year nearest to this one.
      int base = thisYear - thisYear % 100 + year;
      if (base > thisYear + 50) base -= 100;
      else if (base <= thisYear - 50) base += 100;
      year = base;
    }
    return TryEncodeDate(year, month, day, result);
  }

  bool ReadTime(const std::vector<Token>& chunk, std::optional<int> pm, TDateTime& result) const {
    int parts[3] = {0, 0, 0};
    int count = 0, ms = 0;
    size_t i = 0;
    while (i < chunk.size() && count < 3) {
      if (chunk[i].kind != TokenKind::Number) return false;
      parts[count++] = chunk[i].value;
      ++i;
      if (i == chunk.size()) break;
      if (!IsIn(chunk[i].text, timeSeps_)) break;
      ++i;
    }
    if (i < chunk.size() && count == 3 && (chunk[i].text == "." || chunk[i].text == ",") &&
        i + 1 < chunk.size() && chunk[i + 1].kind == TokenKind::Number && chunk[i + 1].digits <= 3) {
      ms = chunk[i + 1].value;
      for (int d = chunk[i + 1].digits; d < 3; ++d) ms *= 10;
      i += 2;
    }
    for (; i < chunk.size(); ++i)  // a trailing sign of the picture (a double-byte second sign)
      if (chunk[i].kind == TokenKind::Number || !IsIn(chunk[i].text, timeSeps_)) return false;
    int hour = parts[0];
    if (pm) {
      if (hour > 12) return false;
      hour = hour % 12 + (*pm ? 12 : 0);
    }
    return TryEncodeTime(hour, parts[1], parts[2], ms, result);
  }

  const std::string& text_;
  const TFormatSettings& fs_;
  std::string dateOrder_;  // 'd', 'M', 'y' in picture order
  std::vector<std::string> dateSeps_, timeSeps_;
  std::vector<std::pair<std::string, int>> designators_;
  std::vector<Token> tokens_;
};

std::string LocaleString(LCID locale, LCTYPE type) {
  char buffer[256];
  int n = GetLocaleInfoA(locale, type, buffer, sizeof buffer);
  return n > 0 ? std::string(buffer, static_cast<size_t>(n - 1)) : std::string();
}

}  // namespace

// ---- Settings ----------------------------------------------------------------------------------

TFormatSettings GetLocaleFormatSettings(LCID Locale) {
  TFormatSettings fs;
  auto take = [Locale](LCTYPE type, std::string& into) {
    std::string s = LocaleString(Locale, type);
    if (!s.empty()) into = s;
  };
  take(LOCALE_SSHORTDATE, fs.ShortDateFormat);
  take(LOCALE_STIMEFORMAT, fs.LongTimeFormat);
  fs.TimeAMString = LocaleString(Locale, LOCALE_S1159);
  fs.TimePMString = LocaleString(Locale, LOCALE_S2359);
  for (int i = 0; i < 12; ++i) {
    fs.LongMonthNames[i] = LocaleString(Locale, LOCALE_SMONTHNAME1 + i);
    fs.ShortMonthNames[i] = LocaleString(Locale, LOCALE_SABBREVMONTHNAME1 + i);
  }
  // Windows counts the week from Monday.
  for (int i = 0; i < 7; ++i) {
    fs.LongDayNames[(i + 1) % 7] = LocaleString(Locale, LOCALE_SDAYNAME1 + i);
    fs.ShortDayNames[(i + 1) % 7] = LocaleString(Locale, LOCALE_SABBREVDAYNAME1 + i);
  }
  return fs;
}

const TFormatSettings& DefaultFormatSettings() {
  static const TFormatSettings settings = GetLocaleFormatSettings(LOCALE_USER_DEFAULT);
  return settings;
}

// ---- Calendar ----------------------------------------------------------------------------------

bool IsLeapYear(int Year) { return Year % 4 == 0 && (Year % 100 != 0 || Year % 400 == 0); }

int DaysInMonth(int Year, int Month) {
  static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (Month < 1 || Month > 12) return 0;
  return days[Month - 1] + (Month == 2 && IsLeapYear(Year) ? 1 : 0);
}

bool TryEncodeDate(int Year, int Month, int Day, TDateTime& Result) {
  if (Year < 1 || Year > 9999 || Month < 1 || Month > 12 || Day < 1 || Day > DaysInMonth(Year, Month))
    return false;
  Result = static_cast<double>(DaysFromCivil(Year, static_cast<unsigned>(Month), static_cast<unsigned>(Day)) +
                               kUnixEpochDay);
  return true;
}

bool TryEncodeTime(int Hour, int Min, int Sec, int MSec, TDateTime& Result) {
  if (Hour < 0 || Hour >= 24 || Min < 0 || Min >= 60 || Sec < 0 || Sec >= 60 || MSec < 0 || MSec >= 1000)
    return false;
  Result = (((Hour * 60 + Min) * 60 + Sec) * 1000.0 + MSec) / MSecsPerDay;
  return true;
}

TDateTime EncodeDate(int Year, int Month, int Day) {
  TDateTime r;
  if (!TryEncodeDate(Year, Month, Day, r)) throw EConvertError("Invalid argument to date encode");
  return r;
}

TDateTime EncodeTime(int Hour, int Min, int Sec, int MSec) {
  TDateTime r;
  if (!TryEncodeTime(Hour, Min, Sec, MSec, r)) throw EConvertError("Invalid argument to time encode");
  return r;
}

TDateTime ComposeDateTime(TDateTime DatePart, TDateTime TimePart) {
  double day = std::trunc(DatePart);
  double time = std::fabs(TimePart - std::trunc(TimePart));
  return day < 0 ? day - time : day + time;
}

void DecodeDate(TDateTime DateTime, WORD& Year, WORD& Month, WORD& Day) {
  DayAndTime dt = Split(DateTime);
  int y, m, d;
  CivilFromDays(dt.day - kUnixEpochDay, y, m, d);
  Year = static_cast<WORD>(y);
  Month = static_cast<WORD>(m);
  Day = static_cast<WORD>(d);
}

void DecodeTime(TDateTime DateTime, WORD& Hour, WORD& Min, WORD& Sec, WORD& MSec) {
  int ms = Split(DateTime).msOfDay;
  MSec = static_cast<WORD>(ms % 1000);
  ms /= 1000;
  Sec = static_cast<WORD>(ms % 60);
  ms /= 60;
  Min = static_cast<WORD>(ms % 60);
  Hour = static_cast<WORD>(ms / 60);
}

int DayOfWeek(TDateTime DateTime) {
  long long day = Split(DateTime).day;  // 1899-12-30 was a Saturday
  return static_cast<int>(((day + 6) % 7 + 7) % 7) + 1;
}

TDateTime SystemTimeToDateTime(const SYSTEMTIME& st) {
  return ComposeDateTime(EncodeDate(st.wYear, st.wMonth, st.wDay),
                         EncodeTime(st.wHour, st.wMinute, st.wSecond, st.wMilliseconds));
}

TDateTime Now() {
  SYSTEMTIME st;
  GetLocalTime(&st);
  return SystemTimeToDateTime(st);
}

TDateTime Date() { return std::trunc(Now()); }

TDateTime Time() {
  TDateTime now = Now();
  return now - std::trunc(now);
}

// ---- Text --------------------------------------------------------------------------------------

std::string FormatDateTime(const std::string& Picture, TDateTime DateTime, const TFormatSettings& fs) {
  WORD year, month, day, hour, min, sec, ms;
  DecodeDate(DateTime, year, month, day);
  DecodeTime(DateTime, hour, min, sec, ms);
  int weekday = DayOfWeek(DateTime) - 1;
  const std::string& designator = hour < 12 ? fs.TimeAMString : fs.TimePMString;
  int hour12 = hour % 12 == 0 ? 12 : hour % 12;
  std::string out;
  for (const PictureItem& item : ParsePicture(Picture)) {
    int n = item.count;
    switch (item.field) {
      case 0: out += item.literal; break;
      case 'd':
        out += n == 1 ? std::to_string(day) : n == 2 ? Padded(day, 2)
             : n == 3 ? fs.ShortDayNames[weekday] : fs.LongDayNames[weekday];
        break;
      case 'M':
        out += n == 1 ? std::to_string(month) : n == 2 ? Padded(month, 2)
             : n == 3 ? fs.ShortMonthNames[month - 1] : fs.LongMonthNames[month - 1];
        break;
      case 'y':
        out += n == 1 ? std::to_string(year % 100) : n == 2 ? Padded(year % 100, 2) : Padded(year, 4);
        break;
      case 'g': break;
      case 'h': out += n == 1 ? std::to_string(hour12) : Padded(hour12, 2); break;
      case 'H': out += n == 1 ? std::to_string(hour) : Padded(hour, 2); break;
      case 'm': out += n == 1 ? std::to_string(min) : Padded(min, 2); break;
      case 's': out += n == 1 ? std::to_string(sec) : Padded(sec, 2); break;
      case 't': out += n == 1 ? FirstChar(designator) : designator; break;
    }
  }
  return out;
}

std::string DateTimeToStr(TDateTime DateTime, const TFormatSettings& Settings) {
  std::string text = FormatDateTime(Settings.ShortDateFormat, DateTime, Settings);
  if (Split(DateTime).msOfDay != 0) {
    text += ' ';
    text += FormatDateTime(Settings.LongTimeFormat, DateTime, Settings);
  }
  return text;
}

std::string DateTimeToStr(TDateTime DateTime) { return DateTimeToStr(DateTime, DefaultFormatSettings()); }

bool TryStrToDateTime(const std::string& S, TDateTime& Value, const TFormatSettings& Settings) {
  std::string text = Trim(S);
  std::optional<TDateTime> r = DateTimeReader(text, Settings).Read();
  if (!r) return false;
  Value = *r;
  return true;
}

bool TryStrToDateTime(const std::string& S, TDateTime& Value) {
  return TryStrToDateTime(S, Value, DefaultFormatSettings());
}

TDateTime StrToDateTime(const std::string& S, const TFormatSettings& Settings) {
  TDateTime r;
  if (!TryStrToDateTime(S, r, Settings)) throw EConvertError("'" + S + "' is not a valid date and time");
  return r;
}

TDateTime StrToDateTime(const std::string& S) { return StrToDateTime(S, DefaultFormatSettings()); }
