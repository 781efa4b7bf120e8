#include "classlib/Buttons.h"

#include <algorithm>

#include "classlib/ControlsPublish.h"
#include "classlib/Forms.h"
#include "classlib/GraphicsInternal.h"
#include "classlib/TypInfo.h"

using namespace controls_publish;

namespace {
// Form resources create these by class name. Registering only records the classes.
struct TButtonsRegistration {
  TButtonsRegistration() { RegisterClass(ClassOf<TBitBtn>()); }
} const g_ButtonsClasses;
}  // namespace

// The glyph of a bit button: a bitmap that a form resource fills through "Glyph.Data".
class TGlyphBitmap : public TBitmap {
  VD_CLASS(TGlyphBitmap, TBitmap);

public:
  TGlyphBitmap() = default;
  void DefineProperties(TFiler* Filer) override {
    inherited::DefineProperties(Filer);
    Filer->DefineBinaryProperty(
        "Data", [this](TStream& S) { ReadData(S); }, [this](TStream& S) { WriteData(S); }, !Empty());
  }
};

VD_DEFINE_CLASS(TGlyphBitmap) {}

// ---- TBitBtn ------------------------------------------------------------------------------------

TBitBtn::TBitBtn(TComponent* AOwner) : TButton(AOwner), FGlyph(TGlyphBitmap::Create()) {
  FGlyph->OnChange = MakeEvent<&TBitBtn::GlyphChanged>(this);
}

void TBitBtn::BeforeDestruction() {
  inherited::BeforeDestruction();
  FGlyph->Free();
  FGlyph = nullptr;
}

void TBitBtn::GlyphChanged(TObject*) { Invalidate(); }

void TBitBtn::SetLayout(TButtonLayout Value) {
  if (FLayout == Value) return;
  FLayout = Value;
  Invalidate();
}

void TBitBtn::SetSpacing(int Value) {
  if (FSpacing == Value) return;
  FSpacing = Value;
  Invalidate();
}

void TBitBtn::SetMargin(int Value) {
  if (FMargin == Value || Value < -1) return;
  FMargin = Value;
  Invalidate();
}

void TBitBtn::CreateParams(TCreateParams& Params) {
  TButton::CreateParams(Params);
  Params.Style = (Params.Style & ~static_cast<DWORD>(BS_TYPEMASK)) | BS_OWNERDRAW;
}

void TBitBtn::CalcLayout(const TRect& R, TSize TextSize, bool Pressed, TPoint& GlyphPos, TRect& TextRect) {
  TSize Glyph{0, 0};
  if (!FGlyph->Empty()) Glyph = TSize{FGlyph->Width(), FGlyph->Height()};
  bool Across = FLayout == blGlyphLeft || FLayout == blGlyphRight;
  int Room = Across ? R.right - R.left : R.bottom - R.top;
  int GlyphLen = Across ? Glyph.cx : Glyph.cy;
  int TextLen = Across ? TextSize.cx : TextSize.cy;
  int Gap = GlyphLen > 0 && TextLen > 0 ? FSpacing : 0;
  // Offsets along the layout axis, from the side the glyph is on.
  int Start = FMargin < 0 ? (Room - GlyphLen - Gap - TextLen) / 2 : FMargin;
  int GlyphAt = Start, TextAt = Start + GlyphLen + Gap;
  bool GlyphFirst = FLayout == blGlyphLeft || FLayout == blGlyphTop;
  if (!GlyphFirst) {  // measured from the far side
    GlyphAt = Room - Start - GlyphLen;
    TextAt = Room - Start - GlyphLen - Gap - TextLen;
  }
  int Shift = Pressed ? 1 : 0;
  if (Across) {
    int Middle = (R.top + R.bottom) / 2 + Shift;
    GlyphPos = Point(R.left + GlyphAt + Shift, Middle - Glyph.cy / 2);
    TextRect = Rect(R.left + TextAt + Shift, Middle - TextSize.cy / 2, 0, 0);
  } else {
    int Middle = (R.left + R.right) / 2 + Shift;
    GlyphPos = Point(Middle - Glyph.cx / 2, R.top + GlyphAt + Shift);
    TextRect = Rect(Middle - TextSize.cx / 2, R.top + TextAt + Shift, 0, 0);
  }
  TextRect.right = TextRect.left + TextSize.cx;
  TextRect.bottom = TextRect.top + TextSize.cy;
}

void TBitBtn::DrawItem(const DRAWITEMSTRUCT& Draw) {
  HDC DC = Draw.hDC;
  TRect R = Draw.rcItem;
  bool Pressed = (Draw.itemState & ODS_SELECTED) != 0;
  bool Focus = (Draw.itemState & ODS_FOCUS) != 0;
  HBRUSH Face = GetSysColorBrush(COLOR_BTNFACE);
  FillRect(DC, &R, Face);
  if (Default() || Focus) {  // the frame of the button Enter presses
    FrameRect(DC, &R, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    InflateRect(&R, -1, -1);
  }
  DrawFrameControl(DC, &R, DFC_BUTTON, DFCS_BUTTONPUSH | (Pressed ? DFCS_PUSHED : 0));

  std::string Text = GetText();
  // The DC is the system's: what is selected into it goes back on every path.
  graphics_detail::TSelectObject SelectedFont(DC, Font()->Handle());
  RECT Measure{0, 0, 0, 0};
  if (!Text.empty()) DrawTextA(DC, Text.c_str(), -1, &Measure, DT_SINGLELINE | DT_CALCRECT);
  TPoint GlyphPos;
  TRect TextRect;
  CalcLayout(R, TSize{Measure.right, Measure.bottom}, Pressed, GlyphPos, TextRect);
  if (!FGlyph->Empty()) {
    int W = FGlyph->Width(), H = FGlyph->Height();
    TransparentBlt(DC, GlyphPos.x, GlyphPos.y, W, H, FGlyph->Canvas()->Handle(), 0, 0, W, H,
                   ColorToRGB(FGlyph->TransparentColor()));
  }
  if (!Text.empty()) {
    int OldMode = SetBkMode(DC, TRANSPARENT);
    SetTextColor(DC, ColorToRGB(Enabled() ? Font()->Color() : clGrayText));
    DrawTextA(DC, Text.c_str(), -1, &TextRect, DT_SINGLELINE | DT_NOCLIP);
    SetBkMode(DC, OldMode);
  }
  if (Focus) {
    TRect F = Draw.rcItem;
    InflateRect(&F, -4, -4);
    DrawFocusRect(DC, &F);
  }
}

void TBitBtn::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CN_DRAWITEM:
      DrawItem(*reinterpret_cast<DRAWITEMSTRUCT*>(Message.LParam));
      Message.Result = TRUE;
      return;
    case BM_SETSTYLE:
      // Default changes the look, not the kind of button: it stays owner-drawn.
      Invalidate();
      return;
    case WM_LBUTTONDBLCLK:
      // An owner-drawn button reports double clicks apart; make the second one a click too.
      Message.Msg = WM_LBUTTONDOWN;
      break;
  }
  TButton::Dispatch(Message);
}

// ---- Published members --------------------------------------------------------------------------

VD_DEFINE_CLASS(TBitBtn) {
  C.Property("Glyph", &TBitBtn::Glyph, &TBitBtn::SetGlyph);
  C.Property("Layout", &TBitBtn::Layout, &TBitBtn::SetLayout).Default(blGlyphLeft);
  C.Property("Margin", &TBitBtn::Margin, &TBitBtn::SetMargin).Default(-1);
  C.Property("Spacing", &TBitBtn::Spacing, &TBitBtn::SetSpacing).Default(4);
}
