// Buttons: the push button with a picture (bit button).
//
// TBitBtn is a TButton (ModalResult, Default, Cancel) that draws itself: the frame of a push
// button, its caption and its Glyph, a bitmap whose bottom-left pixel's colour is transparent.
// Layout puts the glyph left, right, above or below the caption, Spacing pixels apart; Margin is
// the distance of the pair from the edge the glyph is on (-1: the pair is centred). A form
// resource holds the glyph as `Glyph.Data`: a 4-byte size, then the BMP file.
#pragma once

#include "classlib/StdCtrls.h"

enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
VD_ENUM_INFO(TButtonLayout, "blGlyphLeft", "blGlyphRight", "blGlyphTop", "blGlyphBottom")

class TBitBtn : public TButton {
  VD_CLASS(TBitBtn, TButton);

public:
  explicit TBitBtn(TComponent* AOwner);
  void BeforeDestruction() override;

  TBitmap* Glyph() const noexcept { return FGlyph; }
  void SetGlyph(TBitmap* Value) { FGlyph->Assign(Value); }
  TButtonLayout Layout() const noexcept { return FLayout; }
  void SetLayout(TButtonLayout Value);
  int Spacing() const noexcept { return FSpacing; }
  void SetSpacing(int Value);
  int Margin() const noexcept { return FMargin; }
  void SetMargin(int Value);

  // Where the glyph and the caption go inside the client rectangle R (pressed: one pixel lower
  // and to the right), for a caption of TextSize.
  void CalcLayout(const TRect& R, TSize TextSize, bool Pressed, TPoint& GlyphPos, TRect& TextRect);

protected:
  void CreateParams(TCreateParams& Params) override;
  void Dispatch(TMessage& Message) override;

private:
  void DrawItem(const DRAWITEMSTRUCT& Draw);
  void GlyphChanged(TObject* Sender);

  TBitmap* FGlyph;
  TButtonLayout FLayout = blGlyphLeft;
  int FSpacing = 4;
  int FMargin = -1;
};
