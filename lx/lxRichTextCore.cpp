#include "lx/lxRichTextCore.h"

#include <algorithm>
#include <array>
#include <map>
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

bool TagColor(const std::string& Name, int32_t& Color) {
  for (const TRichTagColor& C : RichTagColors())
    if (Name == C.Name) {
      Color = C.Color;
      return true;
    }
  return false;
}

void ApplyTag(const std::string& Name, TRichState& State, const TRichState& Base, bool Emboss) {
  // "DEFAULT" is stripped like "DEF", so it is drawn like it too.
  if (Name == "DEF" || Name == "DEFAULT") {
    State.Style = Base.Style;
    if (!Emboss) State.Color = Base.Color;
    return;
  }
  int32_t Color;
  if (TagColor(Name, Color)) {
    if (!Emboss) State.Color = Color;
    return;
  }
  State.Style = 0;
  for (char C : Name) {
    switch (C) {
      case 'B': State.Style |= kRichBold; break;
      case 'I': State.Style |= kRichItalic; break;
      case 'U': State.Style |= kRichUnderline; break;
      case 'S': State.Style |= kRichStrikeOut; break;
      default: break;
    }
  }
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

constexpr size_t kNone = static_cast<size_t>(-1);

// Where each tag character next occurs in a paragraph, so that the tags of every rest of it are
// found without searching the text again for each line.
class TTagIndex {
public:
  TTagIndex(std::string_view Text, const TRichWrapRules& Rules) {
    if (!Rules.Tags) return;
    FNextOpen.assign(Text.size() + 1, Text.size());
    FNextClose.assign(Text.size() + 1, Text.size());
    for (size_t I = Text.size(); I-- > 0;) {
      FNextOpen[I] = Text[I] == Rules.TagOpen ? I : FNextOpen[I + 1];
      FNextClose[I] = Text[I] == Rules.TagClose ? I : FNextClose[I + 1];
    }
  }
  size_t NextOpen(size_t From) const { return FNextOpen[From]; }
  size_t NextClose(size_t From) const { return FNextClose[From]; }

private:
  std::vector<size_t> FNextOpen, FNextClose;  // the text's size where there is none
};

// What a line cut off a rest at a position draws, compared with longer lines of the same rest. The
// measure reads each line on its own: a line that ends inside a tag the rest closes later shows the
// tag's opening as text, which a line that holds the whole tag hides; after an odd run of "&" a
// line shows the last one, which a longer line turns into the mark of the next character. Any
// other cut is clean: it draws what every longer line draws first, so no longer line is narrower
// (within the same tag, for a cut inside a tag). The rest's tags are read as far as asked for.
class TRestTags {
public:
  TRestTags(std::string_view Text, const TTagIndex& Index, size_t Start, const TRichWrapRules& Rules)
      : FText(Text), FIndex(Index), FRules(Rules), FStart(Start), FPos(Start), FDone(!Rules.Tags) {}

  struct TCut {
    int Tag;  // the tag the cut ends inside, or -1
    bool Clean;
  };
  TCut At(size_t P) {
    ReadTo(P);
    auto After = std::partition_point(FTags.begin(), FTags.end(), [&](const TTag& T) { return T.Open < P; });
    if (After != FTags.begin() && std::prev(After)->Close >= P)
      return {static_cast<int>(After - FTags.begin()) - 1, MarksPaired(P, std::prev(After)->PieceStart, false)};
    if (FStray != kNone && P > FStray) return {-1, MarksPaired(P, FStrayPieceStart, true)};
    return {-1, MarksPaired(P, After != FTags.begin() ? std::prev(After)->Close + 1 : FStart, false)};
  }
  bool IsClean(size_t P, int Tag) {
    TCut C = At(P);
    return C.Clean && C.Tag == Tag;
  }
  size_t OpenOf(int Tag) const { return FTags[static_cast<size_t>(Tag)].Open; }
  // The cut before P, outside tags, that may read otherwise than P. The open characters the rest
  // drops draw nothing, so the cuts within a run of them read alike: the run is passed at once.
  size_t Before(size_t P) const {
    if (FStray != kNone)
      while (P > FStray + 1 && FText[P - 1] == FRules.TagOpen) --P;
    return P - 1;
  }

private:
  struct TTag {
    size_t PieceStart, Open, Close;  // PieceStart: where the text before the tag starts
  };

  // Reads tags as ScanTags does, until every tag that opens before P is known.
  void ReadTo(size_t P) {
    while (!FDone && FPos < P) {
      size_t Open = FIndex.NextOpen(FPos);
      size_t Close = Open < FText.size()
                         ? FIndex.NextClose(FRules.TagOpen == FRules.TagClose ? Open + 1 : FPos)
                         : FText.size();
      if (Close >= FText.size()) {
        FDone = true;  // no more tags: the rest is text
      } else if (Close < Open) {
        FStray = Close;  // the rest is text without its open characters
        FStrayPieceStart = FPos;
        FDone = true;
      } else {
        FTags.push_back({FPos, Open, Close});
        FPos = Close + 1;
      }
    }
  }

  // Whether the text piece [PieceStart, P) ends in an even run of "&" (none counts as even).
  bool MarksPaired(size_t P, size_t PieceStart, bool OpensDropped) const {
    if (!FRules.AccelChars) return true;
    size_t Marks = 0;
    for (size_t I = P; I > PieceStart; --I) {
      char C = FText[I - 1];
      if (OpensDropped && C == FRules.TagOpen) continue;
      if (C != '&') break;
      ++Marks;
    }
    return Marks % 2 == 0;
  }

  std::string_view FText;
  const TTagIndex& FIndex;
  const TRichWrapRules& FRules;
  size_t FStart, FPos;
  bool FDone;
  std::vector<TTag> FTags;
  size_t FStray = kNone, FStrayPieceStart = 0;
};

// A place where a line cut off the rest may end.
struct TLineEnd {
  size_t End;    // after a blank (which the line keeps), or the end of the paragraph
  size_t Cut;    // the end of what is measured: End less trailing blanks, unless right-aligned
  int Tag;       // the tag Cut ends inside, or -1
  bool Clean;    // see TRestTags
  size_t Floor;  // the last clean cut outside tags at or before Cut: no line to here or longer is narrower
};

// The ends a line may take from the rest at Start, shortest first, found only as far as asked for:
// after each blank from the second character to the last but one, then the whole rest.
class TLineEnds {
public:
  TLineEnds(std::string_view Text, size_t Start, bool TrimBlanks, TRestTags& Tags)
      : FText(Text), FStart(Start), FScan(Start), FLastText(Start), FTrimBlanks(TrimBlanks), FTags(Tags) {}

  // How many of the first N ends there are.
  size_t Available(size_t N) {
    while (FEnds.size() < N && !FDone) FindNext();
    return std::min(N, FEnds.size());
  }
  const TLineEnd& operator[](size_t I) const { return FEnds[I]; }

private:
  void FindNext() {
    while (FScan < FText.size()) {
      size_t I = FScan++;
      if (FText[I] == ' ' && I > FStart && I + 2 <= FText.size()) return Add(I + 1);
      if (!IsBlank(FText[I])) FLastText = I + 1;
    }
    FDone = true;
    Add(FText.size());
  }
  void Add(size_t End) {
    size_t Cut = FTrimBlanks ? FLastText : End;
    TRestTags::TCut Kind = FTags.At(Cut);
    size_t Floor = Cut;
    for (TRestTags::TCut C = Kind; C.Tag >= 0 || !C.Clean; C = FTags.At(Floor))
      Floor = C.Tag >= 0 ? FTags.OpenOf(C.Tag) : FTags.Before(Floor);
    FEnds.push_back({End, Cut, Kind.Tag, Kind.Clean, Floor});
  }

  std::string_view FText;
  size_t FStart, FScan, FLastText;
  bool FTrimBlanks;
  TRestTags& FTags;
  std::vector<TLineEnd> FEnds;
  bool FDone = false;
};

// The state a line leaves, drawn from State.
TRichState StateAfter(const std::string& Line, TRichState State, const TRichWrapRules& Rules) {
  if (!Rules.Tags) return State;
  for (const TRichToken& T : ScanTags(Line, Rules.TagOpen, Rules.TagClose))
    if (T.IsTag) ApplyTag(T.Value, State, Rules.Base, false);
  return State;
}

// Lays paragraphs out line by line, each line the longest start of the rest that fits. Lines to
// clean cuts outside tags are no narrower the longer they are, and no line is narrower than the
// one to its floor, so the search doubles its step over the floors until one is too wide, halves
// the gap, and then looks back from there only where a line may be narrower than its floor:
// each line costs a few measures of about its own length, not one per word of all the text behind.
// All starts of one rest are measured from the same state, the one the lines before leave.
class TLayoutBuilder {
public:
  TLayoutBuilder(int WrapWidth, int MarginH, TAlignment Alignment, const TMeasureLine& Measure,
                 const TRichWrapRules& Rules)
      : FLimit(WrapWidth - MarginH), FAlignment(Alignment), FMeasure(Measure), FRules(Rules), FState(Rules.Base) {}

  void Paragraph(const std::string& Text, bool WordWrap) {
    TTagIndex Index(WordWrap ? std::string_view(Text) : std::string_view(), FRules);
    size_t Start = 0;
    std::optional<int> RestEnd;  // the last line's right end, when wrapping measured it
    while (WordWrap) {
      TLineFit Fit = TLineSearch(*this, Text, Index, Start).Run();
      if (Fit.End == Text.size()) {
        RestEnd = Fit.Width;
        break;
      }
      AddLine(Text.substr(Start, Fit.End - Start), Fit.Width);
      Start = Fit.End;
    }
    AddLine(Text.substr(Start), RestEnd);
  }
  TRichLayout Result() { return std::move(FLayout); }

private:
  struct TLineFit {
    size_t End;
    std::optional<int> Width;  // the line's right end, where the search measured it
  };

  // The search for one line's end.
  class TLineSearch {
  public:
    TLineSearch(TLayoutBuilder& Builder, std::string_view Text, const TTagIndex& Index, size_t Start)
        : B(Builder), FText(Text), FStart(Start), FTags(Text, Index, Start, Builder.FRules),
          FEnds(Text, Start, Builder.FAlignment != taRightJustify, FTags) {}

    TLineFit Run() {
      // Nothing from the first end whose floor is too wide on fits.
      size_t Over = FirstOverFloor([&](size_t N) { return FEnds.Available(N); },
                                   [&](size_t I) { return FEnds[I].Floor; });
      for (size_t I = Over; I-- > 0;) {
        const TLineEnd& E = FEnds[I];
        if (E.Tag >= 0) {
          size_t First = I;
          while (First > 0 && FEnds[First - 1].Tag == E.Tag) --First;
          if (std::optional<size_t> Fit = LastFitInTag(First, I + 1)) return Take(*Fit);
          I = First;
        } else if (E.Clean || Fits(E.Cut)) {  // a clean cut is as wide as its floor, which fits
          return Take(I);
        }
      }
      // Not even the first end fits: an over-long line, which does not count as the widest.
      FEnds.Available(1);
      std::optional<int> Width;
      if (B.FAlignment != taLeftJustify) Width = WidthTo(FEnds[0].Cut);
      return {FEnds[0].End, Width};
    }

  private:
    // The first of the candidates whose floor is too wide, where floors never shrink along them:
    // the step doubles until a floor is too wide or none is left, then the gap is halved.
    template <class TAvailable, class TFloorOf>
    size_t FirstOverFloor(TAvailable Available, TFloorOf FloorOf) {
      if (Available(1) == 0 || !Fits(FloorOf(0))) return 0;
      size_t Fit = 0, Over = 0;
      for (size_t Step = 1;; Step *= 2) {
        size_t Count = Available(Fit + Step + 1);
        if (Count <= Fit + 1) return Count;
        size_t I = std::min(Fit + Step, Count - 1);
        if (!Fits(FloorOf(I))) {
          Over = I;
          break;
        }
        Fit = I;
      }
      while (Over - Fit > 1) {
        size_t Mid = Fit + (Over - Fit) / 2;
        (Fits(FloorOf(Mid)) ? Fit : Over) = Mid;
      }
      return Over;
    }

    // The last of the ends [First, Last), all inside one tag, that fits. Within the tag the floor
    // of an end is its last clean cut inside the tag, or its floor outside when there is none.
    std::optional<size_t> LastFitInTag(size_t First, size_t Last) {
      const int Tag = FEnds[First].Tag;
      const size_t Open = FTags.OpenOf(Tag);
      std::vector<size_t> Floors;
      Floors.reserve(Last - First);
      for (size_t I = First; I < Last; ++I) {
        size_t Floor = FEnds[I].Cut;
        while (Floor > Open && !FTags.IsClean(Floor, Tag)) --Floor;
        Floors.push_back(Floor > Open ? Floor : FEnds[I].Floor);
      }
      size_t Over = First + FirstOverFloor([&](size_t N) { return std::min(N, Floors.size()); },
                                           [&](size_t I) { return Floors[I]; });
      for (size_t I = Over; I-- > First;)
        if (FEnds[I].Clean || Fits(FEnds[I].Cut)) return I;
      return std::nullopt;
    }

    TLineFit Take(size_t I) {
      int Width = WidthTo(FEnds[I].Cut);
      B.FLayout.Widest = std::max(B.FLayout.Widest, Width);
      return {FEnds[I].End, Width};
    }

    bool Fits(size_t Cut) { return WidthTo(Cut) <= B.FLimit; }
    // The right end of the rest's start up to Cut; the floors of many ends are the same cut.
    int WidthTo(size_t Cut) {
      auto [It, New] = FWidths.try_emplace(Cut, 0);
      if (New) It->second = B.FMeasure(std::string(FText.substr(FStart, Cut - FStart)), B.FState);
      return It->second;
    }

    TLayoutBuilder& B;
    std::string_view FText;
    size_t FStart;
    TRestTags FTags;
    TLineEnds FEnds;
    std::map<size_t, int> FWidths;
  };

  int MeasureForWrap(const std::string& Text) const {
    return FMeasure(FAlignment == taRightJustify ? Text : TrimmedRight(Text), FState);
  }

  // Right and centred lines keep their right end (measured here unless wrapping did). The next
  // line starts from the state this one leaves.
  void AddLine(std::string Line, std::optional<int> End) {
    if (FAlignment != taLeftJustify) FLayout.Widths.push_back(End ? *End : MeasureForWrap(Line));
    FState = StateAfter(Line, FState, FRules);
    FLayout.Lines.push_back(std::move(Line));
  }

  int FLimit;
  TAlignment FAlignment;
  const TMeasureLine& FMeasure;
  const TRichWrapRules& FRules;
  TRichState FState;  // where the next line starts
  TRichLayout FLayout;
};

}  // namespace

TRichLayout LayoutRichText(const std::string& Text, bool WordWrap, int WrapWidth, int MarginH, TAlignment Alignment,
                           const TMeasureLine& Measure, const TRichWrapRules& Rules) {
  TLayoutBuilder Builder(WrapWidth, MarginH, Alignment, Measure, Rules);
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
