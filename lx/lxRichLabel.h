// The rich label: a label whose caption is tagged rich text ("[B]Bold[DEF] and [RED]red[DEF]",
// lxRichTextUtils), laid out by DrawRichText into the base label's off-screen bitmap and copied
// onto the label. With AutoHeight the label takes the height of the laid-out text, also when the
// caption changes while the form is still hidden (the label is then painted at once on a DC of
// the hidden form, so the height is right before the form is shown).
#pragma once

#include "lx/lxLabels.h"

class TlxRichLabel : public TlxBaseLabel {
  VD_CLASS(TlxRichLabel, TlxBaseLabel);

public:
  // Word wrap and AutoHeight on; the class library's AutoSize off.
  explicit TlxRichLabel(TComponent* AOwner);

  bool AutoHeight() const noexcept { return FAutoHeight; }
  void SetAutoHeight(bool Value);
  uint16_t MarginHorz() const noexcept { return FMarginHorz; }
  void SetMarginHorz(uint16_t Value);
  uint16_t MarginVert() const noexcept { return FMarginVert; }
  void SetMarginVert(uint16_t Value);
  TColor ShadowColor() const noexcept { return FShadowColor; }
  void SetShadowColor(TColor Value);
  bool ShowFrame() const noexcept { return FShowFrame; }
  void SetShowFrame(bool Value);
  bool ShowShadow() const noexcept { return FShowShadow; }
  void SetShowShadow(bool Value);
  TlxTextStyle* TextStyle() const noexcept { return FTextStyle; }
  void SetTextStyle(TlxTextStyle* Value);
  // The rich label's own wrap switch (also how DrawRichText sizes the bitmap: AutoWidth).
  bool WordWrap() const noexcept { return FWordWrap; }
  void SetWordWrap(bool Value);

protected:
  ~TlxRichLabel() override;
  // Lays the caption out and copies it onto the label; the flags are not used.
  void DoDrawText(TRect& Rect, UINT Flags) override;
  void Dispatch(TMessage& Message) override;

private:
  TlxTextStyle* FTextStyle;
  bool FAutoHeight = true;
  uint16_t FMarginHorz = 0;
  uint16_t FMarginVert = 0;
  TColor FShadowColor = clBlack;
  bool FShowFrame = false;
  bool FShowShadow = false;
  bool FWordWrap = true;
};
