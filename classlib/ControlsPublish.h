// The published members shared by the standard control classes (StdCtrls, ExtCtrls); for their
// property tables only.
#pragma once

#include "classlib/Controls.h"
#include "classlib/Graphics.h"
#include "classlib/TypInfo.h"

namespace controls_publish {

// Publishes the members every control class shows, with the defaults of its kind.
template <class C> void PublishControl(TClassBuilder<C>& B, TColor DefaultColor, bool DefaultParentColor) {
  B.Property("Align", &C::Align, &C::SetAlign).Default(alNone);
  B.Property("Anchors", &C::Anchors, &C::SetAnchors).Default(TAnchors{akLeft, akTop});
  B.Property("Caption", &C::Caption, &C::SetCaption);
  B.Property("Color", &C::Color, &C::SetColor)
      .Type(ColorTypeInfo())
      .Default(DefaultColor)
      .Stored(&C::IsColorStored);
  B.Property("Constraints", &C::Constraints, &C::SetConstraints);
  B.Property("Enabled", &C::Enabled, &C::SetEnabled).Default(true);
  B.Property("Font", &C::Font, &C::SetFont).Stored(&C::IsFontStored);
  B.Property("ParentColor", &C::ParentColor, &C::SetParentColor).Default(DefaultParentColor);
  B.Property("ParentFont", &C::ParentFont, &C::SetParentFont).Default(true);
  B.Property("ParentShowHint", &C::ParentShowHint, &C::SetParentShowHint).Default(true);
  B.Property("PopupMenu", &C::PopupMenu, &C::SetPopupMenu);
  B.Property("ShowHint", &C::ShowHint, &C::SetShowHint).Stored(&C::IsShowHintStored);
  B.Property("Visible", &C::Visible, &C::SetVisible).Default(true);
  B.Property("OnClick", &C::OnClick, &C::OnClick);
  B.Property("OnDblClick", &C::OnDblClick, &C::OnDblClick);
  B.Property("OnMouseDown", &C::OnMouseDown, &C::OnMouseDown);
  B.Property("OnMouseMove", &C::OnMouseMove, &C::OnMouseMove);
  B.Property("OnMouseUp", &C::OnMouseUp, &C::OnMouseUp);
}

template <class C> void PublishWinControl(TClassBuilder<C>& B, bool DefaultTabStop) {
  B.Property("TabOrder", &C::TabOrder, &C::SetTabOrder);
  B.Property("TabStop", &C::TabStop, &C::SetTabStop).Default(DefaultTabStop);
  B.Property("OnEnter", &C::OnEnter, &C::OnEnter);
  B.Property("OnExit", &C::OnExit, &C::OnExit);
}

template <class C> void PublishKeyEvents(TClassBuilder<C>& B) {
  B.Property("OnKeyDown", &C::OnKeyDown, &C::OnKeyDown);
  B.Property("OnKeyPress", &C::OnKeyPress, &C::OnKeyPress);
  B.Property("OnKeyUp", &C::OnKeyUp, &C::OnKeyUp);
}

}  // namespace controls_publish
