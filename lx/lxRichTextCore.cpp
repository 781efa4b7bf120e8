#include "lx/lxRichTextCore.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string_view>
#include <unordered_set>

#include "classlib/SysUtils.h"

namespace lxrichtext_detail {

namespace {

bool IsBlank(char C) { return static_cast<unsigned char>(C) <= ' '; }
bool IsUpperLetter(char C) { return C >= 'A' && C <= 'Z'; }
char AsciiUpper(char C) { return C >= 'a' && C <= 'z' ? static_cast<char>(C - 'a' + 'A') : C; }

std::string TrimmedRight(const std::string& S) {
  size_t N = S.size();
  while (N > 0 && IsBlank(S[N - 1])) --N;
  return S.substr(0, N);
}

}  // namespace

const std::vector<TRichTagColor>& RichTagColors() {
  static const std::vector<TRichTagColor> Colors = {
      {"BLACK", 0x000000},  {"MAROON", 0x000080},  {"GREEN", 0x008000}, {"OLIVE", 0x008080},
      {"NAVY", 0x800000},   {"PURPLE", 0x800080},  {"TEAL", 0x808000},  {"GRAY", 0x808080},
      {"SILVER", 0xC0C0C0}, {"RED", 0x0000FF},     {"LIME", 0x00FF00},  {"YELLOW", 0x00FFFF},
      {"BLUE", 0xFF0000},   {"FUCHSIA", 0xFF00FF}, {"AQUA", 0xFFFF00},  {"WHITE", 0xFFFFFF},
  };
  return Colors;
}

const std::vector<std::string>& TagNames() {
  static const std::vector<std::string> Names = [] {
    std::vector<std::string> N = {
        "",     "B",    "I",    "U",    "S",    "BI",   "BU",   "BS",   "IB",   "IU",   "IS",   "UB",
        "UI",   "US",   "SB",   "SI",   "SU",   "BIU",  "BIS",  "BUI",  "BUS",  "BSI",  "BSU",  "IBU",
        "IBS",  "IUB",  "IUS",  "ISB",  "ISU",  "UBI",  "UBS",  "UIB",  "UIS",  "USB",  "USI",  "SBI",
        "SBU",  "SIB",  "SIU",  "SUB",  "SUI",  "BIUS", "BISU", "BUSI", "BUIS", "BSUI", "BSIU", "IBUS",
        "IBSU", "IUSB", "IUBS", "ISUB", "ISBU", "UIBS", "UISB", "UBSI", "UBIS", "USBI", "USIB", "SIUB",
        "SIBU", "SUBI", "SUIB", "SBUI", "SBIU"};
    for (const TRichTagColor& C : RichTagColors()) N.push_back(C.Name);
    N.push_back("DEFAULT");
    N.push_back("DEF");
    return N;
  }();
  return Names;
}

std::string StripTagsByPasses(const std::string& Text, char TagOpen, char TagClose) {
  std::string S = Text;
  std::string Upper = UpperCase(S);  // kept in step with S
  for (bool Removed = !S.empty(); Removed;) {
    Removed = false;
    for (const std::string& Name : TagNames()) {
      std::string Tag = TagOpen + Name + TagClose;
      size_t At = Upper.find(Tag);
      if (At == std::string::npos) continue;
      S.erase(At, Tag.size());
      Upper.erase(At, Tag.size());
      Removed = true;
    }
  }
  return S;
}

std::vector<TRichToken> ScanTags(const std::string& Line, char TagOpen, char TagClose) {
  std::vector<TRichToken> Out;
  size_t Pos = 0;  // what is before it has been handed out
  for (;;) {
    size_t Open = Line.find(TagOpen, Pos);
    if (Open == std::string::npos) break;
    size_t Close = Line.find(TagClose, TagOpen == TagClose ? Open + 1 : Pos);
    if (Close == std::string::npos) break;
    if (Close < Open) {
      // No open character behind a close one can start a tag any more: they all go, and the rest
      // is text.
      std::string Rest;
      for (size_t I = Pos; I < Line.size(); ++I)
        if (Line[I] != TagOpen) Rest += Line[I];
      Out.push_back({false, std::move(Rest)});
      return Out;
    }
    if (Open > Pos) Out.push_back({false, Line.substr(Pos, Open - Pos)});
    Out.push_back({true, UpperCase(Line.substr(Open + 1, Close - Open - 1))});
    Pos = Close + 1;
  }
  if (Pos < Line.size()) Out.push_back({false, Line.substr(Pos)});
  return Out;
}

std::vector<std::string> SplitParagraphs(const std::string& Text) {
  std::vector<std::string> Out;
  size_t Start = 0;
  for (size_t LF; (LF = Text.find('\n', Start)) != std::string::npos; Start = LF + 1) {
    size_t End = LF > Start && Text[LF - 1] == '\r' ? LF - 1 : LF;
    Out.push_back(Text.substr(Start, End - Start));
  }
  Out.push_back(Text.substr(Start));
  return Out;
}

std::vector<TAccelPiece> SplitAccelPieces(const std::string& Piece) {
  std::vector<TAccelPiece> Out;
  std::string Plain;
  for (size_t I = 0; I < Piece.size(); ++I) {
    if (Piece[I] != '&' || I + 1 == Piece.size()) {
      Plain += Piece[I];
    } else if (Piece[I + 1] == '&') {
      Plain += '&';
      ++I;
    } else {
      if (!Plain.empty()) Out.push_back({Plain, false});
      Plain.clear();
      Out.push_back({std::string(1, Piece[++I]), true});
    }
  }
  if (!Plain.empty()) Out.push_back({Plain, false});
  return Out;
}

namespace {

// Lays paragraphs out line by line. A wrapped line is the longest start of the rest that fits:
// the rest itself, or the rest up to a blank (kept at the line's end) that is neither its first
// nor its last character; when none fits, the start up to the first such blank is an over-long
// line of its own. Starts that hold more words are taken to be no narrower, so the longest one
// that fits is searched for (doubling the words, then halving the gap): each line costs a few
// measures of about its own length, not one measure per word of all the text behind it.
class TLayoutBuilder {
public:
  TLayoutBuilder(int WrapWidth, int MarginH, TAlignment Alignment, const TMeasureLine& Measure)
      : FLimit(WrapWidth - MarginH), FAlignment(Alignment), FMeasure(Measure) {}

  void Paragraph(const std::string& Text, bool WordWrap) {
    size_t Start = 0;
    std::optional<int> RestEnd;  // the last line's right end, when wrapping measured it
    while (WordWrap) {
      TLineFit Fit = FitLine(std::string_view(Text).substr(Start));
      if (Fit.Length == 0) {
        RestEnd = Fit.End;
        break;
      }
      AddLine(Text.substr(Start, Fit.Length), Fit.End);
      Start += Fit.Length;
    }
    AddLine(Text.substr(Start), RestEnd);
  }
  TRichLayout Result() { return std::move(FLayout); }

private:
  // A line cut off the front of the rest (Length 0: the rest stays whole) and its right end.
  struct TLineFit {
    size_t Length;
    int End;
  };

  // The ends of the starts a line may take from Rest, shortest first, found only as far as they
  // are asked for: after each blank from the second character to the last but one, then the whole
  // rest.
  class TLineEnds {
  public:
    explicit TLineEnds(std::string_view Rest) : FRest(Rest) {}
    // I, or the whole rest's index when there are fewer starts.
    size_t Clamp(size_t I) {
      while (FEnds.size() <= I && !FDone) {
        size_t Blank = FRest.size() >= 2 ? FRest.find(' ', FNext) : std::string_view::npos;
        if (Blank == std::string_view::npos || Blank > FRest.size() - 2) {
          FDone = true;
        } else {
          FEnds.push_back(Blank + 1);
          FNext = Blank + 1;
        }
      }
      return std::min(I, FEnds.size());
    }
    bool IsWhole(size_t I) { return Clamp(I) == FEnds.size(); }
    size_t End(size_t I) { return Clamp(I) < FEnds.size() ? FEnds[I] : FRest.size(); }

  private:
    std::string_view FRest;
    std::vector<size_t> FEnds;
    size_t FNext = 1;
    bool FDone = false;
  };

  TLineFit FitLine(std::string_view Rest) {
    TLineEnds Ends(Rest);
    auto Measure = [&](size_t I) { return MeasureForWrap(std::string(Rest.substr(0, Ends.End(I)))); };
    auto Line = [&](size_t I, int End) { return TLineFit{Ends.IsWhole(I) ? 0 : Ends.End(I), End}; };
    int FitEnd = Measure(0);
    if (FitEnd > FLimit) return Line(0, FitEnd);  // not even the first word fits: an over-long line
    // Fit fits and Over does not: double the step until a start is too wide or the whole rest
    // fits, then halve the gap between the two.
    size_t Fit = 0;
    std::optional<size_t> Over;
    auto Try = [&](size_t I) {
      int End = Measure(I);
      if (End <= FLimit) {
        Fit = I;
        FitEnd = End;
      } else {
        Over = I;
      }
    };
    for (size_t Step = 1; !Over && !Ends.IsWhole(Fit); Step *= 2) Try(Ends.Clamp(Fit + Step));
    while (Over && *Over - Fit > 1) Try(Fit + (*Over - Fit) / 2);
    FLayout.Widest = std::max(FLayout.Widest, FitEnd);
    return Line(Fit, FitEnd);
  }

  int MeasureForWrap(const std::string& Text) const {
    return FMeasure(FAlignment == taRightJustify ? Text : TrimmedRight(Text));
  }

  // Right and centred lines keep their right end (measured here unless wrapping did).
  void AddLine(std::string Line, std::optional<int> End) {
    if (FAlignment != taLeftJustify) FLayout.Widths.push_back(End ? *End : MeasureForWrap(Line));
    FLayout.Lines.push_back(std::move(Line));
  }

  int FLimit;
  TAlignment FAlignment;
  const TMeasureLine& FMeasure;
  TRichLayout FLayout;
};

}  // namespace

TRichLayout LayoutRichText(const std::string& Text, bool WordWrap, int WrapWidth, int MarginH, TAlignment Alignment,
                           const TMeasureLine& Measure) {
  TLayoutBuilder Builder(WrapWidth, MarginH, Alignment, Measure);
  for (const std::string& P : SplitParagraphs(Text)) Builder.Paragraph(P, WordWrap);
  return Builder.Result();
}

}  // namespace lxrichtext_detail

using namespace lxrichtext_detail;

// Where two tags can never overlap (the tag characters differ and neither is a capital letter, so
// neither can stand inside a name), removing one tag never spoils another, and every order of
// removal ends with the same text. One scan then does it: the output is a stack, and a tag can
// only be completed by the character just pushed. (Text is compared upper-cased, so a small
// letter as tag character never matches, in both ways.)
std::string StripTags(const std::string& Text, char TagOpen, char TagClose) {
  const bool OrderFree = TagOpen != TagClose && !IsUpperLetter(TagOpen) && !IsUpperLetter(TagClose);
  if (!OrderFree) return StripTagsByPasses(Text, TagOpen, TagClose);
  static const std::unordered_set<std::string> Names(TagNames().begin(), TagNames().end());
  size_t Longest = 0;
  for (const std::string& Name : TagNames()) Longest = std::max(Longest, Name.size());

  std::string Out;
  Out.reserve(Text.size());
  for (char C : Text) {
    Out.push_back(C);
    if (AsciiUpper(C) != TagClose) continue;
    // The nearest opening character: a farther one would hold this one inside its name.
    const size_t Close = Out.size() - 1;
    const size_t Lowest = Close > Longest + 1 ? Close - Longest - 1 : 0;
    for (size_t Open = Close; Open-- > Lowest;) {
      if (AsciiUpper(Out[Open]) != TagOpen) continue;
      if (Names.count(UpperCase(Out.substr(Open + 1, Close - Open - 1)))) Out.resize(Open);
      break;
    }
  }
  return Out;
}
