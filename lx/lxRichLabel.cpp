#include "lx/lxRichLabel.h"

#include "classlib/TypInfo.h"
#include "lx/lxGraphics.h"
#include "lx/lxRichTextUtils.h"

namespace {
struct TRichLabelRegistration {
  TRichLabelRegistration() { RegisterClass(ClassOf<TlxRichLabel>()); }
} const g_RichLabelRegistration;
}  // namespace

TlxRichLabel::TlxRichLabel(TComponent* AOwner) : TlxBaseLabel(AOwner), FTextStyle(TlxTextStyle::Create(this)) {
  TlxBaseLabel::SetWordWrap(false);
  SetAutoSize(false);
}

TlxRichLabel::~TlxRichLabel() { FTextStyle->Free(); }

void TlxRichLabel::SetAutoHeight(bool Value) {
  if (Value == FAutoHeight) return;
  FAutoHeight = Value;
  Invalidate();
}

void TlxRichLabel::SetMarginHorz(uint16_t Value) {
  if (Value == FMarginHorz) return;
  FMarginHorz = Value;
  Invalidate();
}

void TlxRichLabel::SetMarginVert(uint16_t Value) {
  if (Value == FMarginVert) return;
  FMarginVert = Value;
  Invalidate();
}

void TlxRichLabel::SetShadowColor(TColor Value) {
  if (Value == FShadowColor) return;
  FShadowColor = Value;
  Invalidate();
}

void TlxRichLabel::SetShowFrame(bool Value) {
  if (Value == FShowFrame) return;
  FShowFrame = Value;
  Invalidate();
}

void TlxRichLabel::SetShowShadow(bool Value) {
  if (Value == FShowShadow) return;
  FShowShadow = Value;
  Invalidate();
}

void TlxRichLabel::SetWordWrap(bool Value) {
  if (Value == FWordWrap) return;
  FWordWrap = Value;
  Invalidate();
}

void TlxRichLabel::SetTextStyle(TlxTextStyle* Value) {
  FTextStyle->SetPlainText(Value->PlainText());
  FTextStyle->SetTagOpen(Value->TagOpen());
  FTextStyle->SetTagClose(Value->TagClose());
}

void TlxRichLabel::DoDrawText(TRect& Rect, UINT Flags) {
  if (!Parent()) return;
  HDC DC = Canvas()->Handle();
  if (!Transparent()) FillSolidRect(DC, Rect, Color());
  TBitmap* Bitmap = OffscreenBitmap();
  TPoint Position = Point(0, 0);
  TPoint Size = Point(0, 0);
  DrawRichText(Bitmap, DC, Point(0, 0), Position, Caption(), Font(), Color(), FShadowColor, FTextStyle->PlainText(),
               FWordWrap, FWordWrap, Width(), Alignment(), FTextStyle->TagOpen(), FTextStyle->TagClose(),
               FMarginHorz, FMarginVert, FShowFrame, FShowShadow, false, false, Size);
  BitBlt(DC, 0, 0, Bitmap->Width(), Bitmap->Height(), Bitmap->Canvas()->Handle(), 0, 0, SRCCOPY);
  if (FAutoHeight && Align() != alClient && Bitmap->Height() != Height()) SetHeight(Bitmap->Height());
}

void TlxRichLabel::Dispatch(TMessage& Message) {
  if (Message.Msg == CM_TEXTCHANGED) {
    TlxBaseLabel::Dispatch(Message);
    // A hidden form gets no WM_PAINT: lay the text out now, so the height follows at once.
    if (Parent() && Parent()->HandleAllocated() && !IsWindowVisible(Parent()->Handle())) PaintImmediately();
    Invalidate();
    return;
  }
  TlxBaseLabel::Dispatch(Message);
}

VD_DEFINE_CLASS(TlxRichLabel) {
  C.Property("AutoHeight", &TlxRichLabel::FAutoHeight, &TlxRichLabel::SetAutoHeight).Default(true);
  C.Property("MarginHorz", &TlxRichLabel::FMarginHorz, &TlxRichLabel::SetMarginHorz).Default(0);
  C.Property("MarginVert", &TlxRichLabel::FMarginVert, &TlxRichLabel::SetMarginVert).Default(0);
  C.Property("ShadowColor", &TlxRichLabel::FShadowColor, &TlxRichLabel::SetShadowColor)
      .Type(ColorTypeInfo())
      .Default(clBlack);
  C.Property("ShowFrame", &TlxRichLabel::FShowFrame, &TlxRichLabel::SetShowFrame).Default(false);
  C.Property("ShowShadow", &TlxRichLabel::FShowShadow, &TlxRichLabel::SetShowShadow).Default(false);
  C.Property("TextStyle", &TlxRichLabel::FTextStyle, &TlxRichLabel::SetTextStyle);
  C.Property("WordWrap", &TlxRichLabel::FWordWrap, &TlxRichLabel::SetWordWrap).Default(true);
}
