#include "lx/lxRichTextCore.h"

#include <algorithm>
#include <array>
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

class TLayoutBuilder {
public:
  TLayoutBuilder(int WrapWidth, int MarginH, TAlignment Alignment, const TMeasureLine& Measure)
      : FLimit(WrapWidth - MarginH), FAlignment(Alignment), FMeasure(Measure) {}

  void Paragraph(std::string Text, bool WordWrap) {
    if (WordWrap) Wrap(Text);
    AddLine(Text);
  }
  TRichLayout Result() { return std::move(FLayout); }

private:
  int MeasureForWrap(const std::string& Text) const {
    return FMeasure(FAlignment == taRightJustify ? Text : TrimmedRight(Text));
  }

  void AddLine(const std::string& Line) {
    FLayout.Lines.push_back(Line);
    if (FAlignment != taLeftJustify) FLayout.Widths.push_back(MeasureForWrap(Line));
  }

  // Cuts lines off the front of Text until the rest fits (or cannot be cut); the rest stays in Text.
  void Wrap(std::string& Text) {
    for (;;) {
      std::string Candidate = Text;
      bool Cut = false;
      for (;;) {
        int End = MeasureForWrap(Candidate);
        if (End <= FLimit) {
          FLayout.Widest = std::max(FLayout.Widest, End);
          break;
        }
        // The last blank before the last character, not the first character.
        size_t Blank = std::string::npos;
        for (size_t I = Candidate.size() >= 2 ? Candidate.size() - 2 : 0; I >= 1; --I)
          if (Candidate[I] == ' ') {
            Blank = I;
            break;
          }
        if (Blank == std::string::npos) break;  // one word too wide: an over-long line
        Candidate.resize(Blank + 1);
        Cut = true;
      }
      if (!Cut) return;
      // A cut line, its blank kept; an over-long word after an earlier cut is a line of its own too.
      AddLine(Candidate);
      Text.erase(0, Candidate.size());
    }
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
  for (std::string& P : SplitParagraphs(Text)) Builder.Paragraph(std::move(P), WordWrap);
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
