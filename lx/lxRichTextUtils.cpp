#include "lx/lxRichTextUtils.h"

#include <algorithm>
#include <optional>

#include "classlib/Forms.h"
#include "classlib/SysUtils.h"
#include "lx/lxGraphics.h"

namespace lxrichtext_detail {

bool TagColor(const std::string& Name, TColor& Color) {
  for (const TRichTagColor& C : RichTagColors())
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

}  // namespace lxrichtext_detail

using namespace lxrichtext_detail;

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
  const TRichWrapRules Rules{!PlainText, TagOpen, TagClose, ShowAccelChar};
  TRichLayout Layout = LayoutRichText(
      Text, WordWrap, WrapWidth, MarginH, Alignment,
      [&](const std::string& Line) {
        Painter.Reset();
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
