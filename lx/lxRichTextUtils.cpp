#include "lx/lxRichTextUtils.h"

#include <algorithm>
#include <optional>

#include "classlib/Forms.h"
#include "classlib/SysUtils.h"
#include "lx/lxGraphics.h"

using namespace lxrichtext_detail;

// ---- DrawRichText -------------------------------------------------------------------------------

namespace {

static_assert(TFontStyles{fsBold}.Bits() == kRichBold && TFontStyles{fsItalic}.Bits() == kRichItalic &&
              TFontStyles{fsUnderline}.Bits() == kRichUnderline && TFontStyles{fsStrikeOut}.Bits() == kRichStrikeOut);

TRichState StateOf(const TFont* Font) { return {Font->Style().Bits(), Font->Color()}; }

void SetState(TFont* Font, const TRichState& State) {
  Font->SetStyle(TFontStyles::FromBits(State.Style));
  Font->SetColor(State.Color);
}

// Measures or draws one line of tagged text with the canvas font as the working font.
class TRichLinePainter {
public:
  TRichLinePainter(TCanvas* Canvas, TFont* Base, bool PlainText, bool ShowAccelChar, bool Emboss, char TagOpen,
                   char TagClose)
      : FCanvas(Canvas), FBase(Base), FPlainText(PlainText), FShowAccelChar(ShowAccelChar), FEmboss(Emboss),
        FTagOpen(TagOpen), FTagClose(TagClose) {}

  // The working font: the base font in State.
  void Set(const TRichState& State) {
    FCanvas->Font()->Assign(FBase);
    SetState(FCanvas->Font(), State);
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
      TRichState State = StateOf(FCanvas->Font());
      ApplyTag(T.Value, State, StateOf(FBase), FEmboss);
      SetState(FCanvas->Font(), State);
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

  // Each line is measured in the state the lines before it leave, as each pass below draws it.
  const TRichState Base = StateOf(Font);
  const TRichWrapRules Rules{!PlainText, TagOpen, TagClose, ShowAccelChar, Base};
  TRichLayout Layout = LayoutRichText(
      Text, WordWrap, WrapWidth, MarginH, Alignment,
      [&](const std::string& Line, const TRichState& From) {
        Painter.Set(From);
        return Painter.Line(Line, MarginH, 0, false);
      },
      Rules);

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
    Painter.Set(PassColor ? TRichState{Base.Style, *PassColor} : Base);
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
