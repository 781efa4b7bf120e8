#include "lx/lxRichTextUtils.h"

#include <algorithm>
#include <optional>

#include "classlib/Forms.h"
#include "classlib/SysUtils.h"
#include "lx/lxGraphics.h"

namespace lxrichtext_detail {

namespace {

struct TNamedColor {
  const char* Name;
  TColor Color;
};
const TNamedColor kColors[] = {
    {"BLACK", 0x000000},  {"MAROON", 0x000080}, {"GREEN", 0x008000}, {"OLIVE", 0x008080},
    {"NAVY", 0x800000},   {"PURPLE", 0x800080}, {"TEAL", 0x808000},  {"GRAY", 0x808080},
    {"SILVER", 0xC0C0C0}, {"RED", 0x0000FF},    {"LIME", 0x00FF00},  {"YELLOW", 0x00FFFF},
    {"BLUE", 0xFF0000},   {"FUCHSIA", 0xFF00FF}, {"AQUA", 0xFFFF00}, {"WHITE", 0xFFFFFF},
};

bool IsBlank(char C) { return static_cast<unsigned char>(C) <= ' '; }

std::string TrimmedRight(const std::string& S) {
  size_t N = S.size();
  while (N > 0 && IsBlank(S[N - 1])) --N;
  return S.substr(0, N);
}

}  // namespace

const std::vector<std::string>& TagNames() {
  static const std::vector<std::string> Names = [] {
    std::vector<std::string> N = {
        "",     "B",    "I",    "U",    "S",    "BI",   "BU",   "BS",   "IB",   "IU",   "IS",   "UB",
        "UI",   "US",   "SB",   "SI",   "SU",   "BIU",  "BIS",  "BUI",  "BUS",  "BSI",  "BSU",  "IBU",
        "IBS",  "IUB",  "IUS",  "ISB",  "ISU",  "UBI",  "UBS",  "UIB",  "UIS",  "USB",  "USI",  "SBI",
        "SBU",  "SIB",  "SIU",  "SUB",  "SUI",  "BIUS", "BISU", "BUSI", "BUIS", "BSUI", "BSIU", "IBUS",
        "IBSU", "IUSB", "IUBS", "ISUB", "ISBU", "UIBS", "UISB", "UBSI", "UBIS", "USBI", "USIB", "SIUB",
        "SIBU", "SUBI", "SUIB", "SBUI", "SBIU"};
    for (const TNamedColor& C : kColors) N.push_back(C.Name);
    N.push_back("DEFAULT");
    N.push_back("DEF");
    return N;
  }();
  return Names;
}

std::vector<TRichToken> ScanTags(std::string Line, char TagOpen, char TagClose) {
  std::vector<TRichToken> Out;
  for (;;) {
    size_t Open = Line.find(TagOpen);
    size_t Close = TagOpen == TagClose && Open != std::string::npos ? Line.find(TagClose, Open + 1) : Line.find(TagClose);
    if (Open == std::string::npos || Close == std::string::npos) break;
    if (Close < Open) {
      Line.erase(Open, 1);
      continue;
    }
    if (Open > 0) Out.push_back({false, Line.substr(0, Open)});
    Out.push_back({true, UpperCase(Line.substr(Open + 1, Close - Open - 1))});
    Line.erase(0, Close + 1);
  }
  if (!Line.empty()) Out.push_back({false, Line});
  return Out;
}

bool TagColor(const std::string& Name, TColor& Color) {
  for (const TNamedColor& C : kColors)
    if (Name == C.Name) {
      Color = C.Color;
      return true;
    }
  return false;
}

void ApplyTag(const std::string& Name, TRichStyle& State, const TRichStyle& Base, bool Emboss) {
  // "DEFAULT" is stripped like "DEF", so it is drawn like it too.
  if (Name == "DEF" || Name == "DEFAULT") {
    State.Style = Base.Style;
    if (!Emboss) State.Color = Base.Color;
    return;
  }
  TColor Color;
  if (TagColor(Name, Color)) {
    if (!Emboss) State.Color = Color;
    return;
  }
  State.Style = {};
  for (char C : Name) {
    switch (C) {
      case 'B': State.Style.Include(fsBold); break;
      case 'I': State.Style.Include(fsItalic); break;
      case 'U': State.Style.Include(fsUnderline); break;
      case 'S': State.Style.Include(fsStrikeOut); break;
      default: break;
    }
  }
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

// ---- StripTags ----------------------------------------------------------------------------------

std::string StripTags(const std::string& Text, char TagOpen, char TagClose) {
  std::string S = Text;
  for (bool Removed = !S.empty(); Removed;) {
    Removed = false;
    for (const std::string& Name : TagNames()) {
      std::string Tag = TagOpen + Name + TagClose;
      size_t At = UpperCase(S).find(Tag);
      if (At == std::string::npos) continue;
      S.erase(At, Tag.size());
      Removed = true;
    }
  }
  return S;
}

// ---- DrawRichText -------------------------------------------------------------------------------

namespace {

// Measures or draws one line of tagged text with the canvas font as the working font.
class TRichLinePainter {
public:
  TRichLinePainter(TCanvas* Canvas, TFont* Base, bool PlainText, bool ShowAccelChar, bool Emboss, char TagOpen,
                   char TagClose)
      : FCanvas(Canvas), FBase(Base), FPlainText(PlainText), FShowAccelChar(ShowAccelChar), FEmboss(Emboss),
        FTagOpen(TagOpen), FTagClose(TagClose) {}

  // The working font back to the base font (in the pass colour, for embossing).
  void Reset(std::optional<TColor> PassColor = std::nullopt) {
    FCanvas->Font()->Assign(FBase);
    if (PassColor) FCanvas->Font()->SetColor(*PassColor);
  }

  // Returns the right end of the line.
  int Line(const std::string& Text, int X, int Y, bool Draw) {
    if (FPlainText) {
      Output(Text, X, Y, Draw);
      return X;
    }
    for (const TRichToken& T : ScanTags(Text, FTagOpen, FTagClose)) {
      if (!T.IsTag) {
        Output(T.Value, X, Y, Draw);
        continue;
      }
      TFont* Font = FCanvas->Font();
      TRichStyle State{Font->Style(), Font->Color()};
      ApplyTag(T.Value, State, TRichStyle{FBase->Style(), FBase->Color()}, FEmboss);
      Font->SetStyle(State.Style);
      Font->SetColor(State.Color);
    }
    return X;
  }

private:
  void Output(const std::string& Piece, int& X, int Y, bool Draw) {
    if (!FShowAccelChar) {
      Emit(Piece, X, Y, Draw);
      return;
    }
    for (const TAccelPiece& P : SplitAccelPieces(Piece)) {
      if (!P.Underline) {
        Emit(P.Text, X, Y, Draw);
        continue;
      }
      TFontStyles Old = FCanvas->Font()->Style();
      FCanvas->Font()->SetStyle(Old + TFontStyles{fsUnderline});
      Emit(P.Text, X, Y, Draw);
      FCanvas->Font()->SetStyle(Old);
    }
  }

  void Emit(const std::string& Text, int& X, int Y, bool Draw) {
    if (Text.empty()) return;
    if (Draw) FCanvas->TextOut(X, Y, Text);
    X += FCanvas->TextWidth(Text);
  }

  TCanvas* FCanvas;
  TFont* FBase;
  bool FPlainText;
  bool FShowAccelChar;
  bool FEmboss;
  char FTagOpen;
  char FTagClose;
};

void PlaceOnScreen(TPoint& Position, int Width, int Height) {
  int ScreenW = GetSystemMetrics(SM_CXSCREEN);
  int ScreenH = GetSystemMetrics(SM_CYSCREEN);
  Position.x -= Width / 2;
  if (Position.x > ScreenW - Width) Position.x = ScreenW - Width;
  if (Position.x < 0) Position.x = 0;
  if (Position.y < 0) Position.y = 0;
  if (Position.y + Height > ScreenH) Position.y = ScreenH - Height - 20;
}

// A checkered band six pixels wide below and right of the box that ends 7 pixels before the edges.
void DrawShadow(HDC DC, int Width, int Height, TColor ShadowColor) {
  COLORREF C = ColorToRGB(ShadowColor);
  int Right = Width - 7;
  int Bottom = Height - 7;
  for (int X = 7; X <= Right; ++X)
    for (int D : {1, 3, 5}) SetPixel(DC, X, Bottom + D + (X % 2 == 0 ? 1 : 0), C);
  for (int Y = Bottom + 7; Y >= 7; --Y)
    for (int D : {6, 4, 2}) SetPixel(DC, Right + D - (((Y ^ Bottom) & 1) == 0 ? 0 : 1), Y, C);
}

}  // namespace

void DrawRichText(TBitmap* Bitmap, HDC BackgroundDC, TPoint Origin, TPoint& Position, const std::string& Text,
                  TFont* Font, TColor Color, TColor ShadowColor, bool PlainText, bool AutoWidth, bool WordWrap,
                  int WrapWidth, TAlignment Alignment, char TagOpen, char TagClose, int MarginH, int MarginV,
                  bool Border, bool Shadow, bool Emboss, bool ShowAccelChar, TPoint& Size) {
  if (WrapWidth < 0) {
    Size = Point(0, 0);
    return;
  }
  TCanvas* Canvas = Bitmap->Canvas();
  Canvas->Font()->Assign(Font);
  int LineHeight = GetTextHeight(Canvas);
  TRichLinePainter Painter(Canvas, Font, PlainText, ShowAccelChar, Emboss, TagOpen, TagClose);

  // Lines are measured from the base font, whatever an earlier line's tags left behind.
  TRichLayout Layout = LayoutRichText(Text, WordWrap, WrapWidth, MarginH, Alignment, [&](const std::string& Line) {
    Painter.Reset();
    return Painter.Line(Line, MarginH, 0, false);
  });

  int Width = WrapWidth;
  if (AutoWidth && Alignment == taLeftJustify) Width = Layout.Widest + MarginH + (Shadow ? 7 : 0);
  int Height = static_cast<int>(Layout.Lines.size()) * LineHeight + 2 * MarginV + (Shadow ? 8 : 0);
  Size.x = Layout.Widest;
  if (Position.x != 0 && Position.y != 0) {
    PlaceOnScreen(Position, Width, Height);
    Origin = Position;
  }

  Bitmap->SetSize(Width, Height);
  bool Draw = !Bitmap->Empty();
  if (Draw) {
    Canvas->Brush()->SetColor(Color);
    if (BackgroundDC) BitBlt(Canvas->Handle(), 0, 0, Width, Height, BackgroundDC, Origin.x, Origin.y, SRCCOPY);
    else Canvas->FillRect(Rect(0, 0, Width, Height));
    if (Border) {
      int S = Shadow ? 6 : 0;
      Canvas->Rectangle(0, 0, Width - S, Height - S);
      Canvas->Brush()->SetColor(clBtnFace);
      Canvas->FrameRect(Rect(1, 1, Width - S - 1, Height - S - 1));
      Canvas->Brush()->SetColor(Color);
    } else {
      Canvas->Brush()->SetStyle(bsClear);  // text on a transparent background
    }
    if (Shadow) DrawShadow(Canvas->Handle(), Width, Height, ShadowColor);
  }

  auto Pass = [&](int MH, int MV, std::optional<TColor> PassColor) {
    Painter.Reset(PassColor);
    int Y = MV;
    int Widest = 0;
    for (size_t I = 0; I < Layout.Lines.size(); ++I) {
      int X = MH;
      if (Alignment != taLeftJustify) {
        X = WrapWidth - MH - Layout.Widths[I];
        if (Alignment == taCenter) X >>= 1;
      }
      Widest = std::max(Widest, Painter.Line(Layout.Lines[I], X, Y, Draw));
      Y += LineHeight;
    }
    return Point(Widest, Y);
  };
  TPoint End;
  if (Emboss) {
    Pass(MarginH + 1, MarginV + 1, clBtnHighlight);
    End = Pass(MarginH, MarginV, clBtnShadow);
  } else {
    End = Pass(MarginH, MarginV, std::nullopt);
  }
  Size.y = End.y;
  if (!AutoWidth && !WordWrap) Size.x = End.x;
}

// ---- FindFormHelp -------------------------------------------------------------------------------

namespace {

bool IsFormHelp(TComponent* C) {
  for (TClass Cls = C->ClassType(); Cls; Cls = Cls->ClassParent())
    if (SameText(Cls->ClassName(), "TlxFormHelp")) return true;
  return false;
}

}  // namespace

TComponent* FindFormHelpComponent(TComponent* Control) noexcept {
  try {
    TComponent* Top = Control;
    if (!Top) return nullptr;
    while (Top->Owner() && !dynamic_cast<TApplication*>(Top->Owner())) Top = Top->Owner();
    for (int I = 0; I < Top->ComponentCount(); ++I)
      if (IsFormHelp(Top->Components(I))) return Top->Components(I);
  } catch (...) {
  }
  return nullptr;
}
