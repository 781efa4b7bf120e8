// Tagged rich text: plain text in which tags between two tag characters ("[B]", "[RED]", "[DEF]")
// switch the font style and colour of what follows. DrawRichText lays such text out (line breaks,
// word wrap, alignment) and draws it into a bitmap with an optional border and drop shadow;
// StripTags removes the known tags for the clipboard; FindFormHelp finds the form-help component
// that serves a control.
//
// Tag names when drawing (case does not matter): "DEF" (or "DEFAULT") goes back to the base font's
// style and colour; one of the sixteen colour names ("RED", "NAVY", ...) changes the colour only;
// any other name clears the style, then each letter B, I, U, S adds bold, italic, underline,
// strikeout ("[]" is plain, "[BU]" bold underline). StripTags removes only the names of its table
// (the style-letter combinations, the colour names, "DEFAULT" and "DEF") and keeps other tags.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "classlib/Controls.h"
#include "classlib/Graphics.h"
#include "lx/lxRichTextCore.h"

class TlxFormHelp;  // the form-help component

// Lays Text out and draws it into Bitmap, whose size the routine sets.
//   BackgroundDC      when given, the background is copied from it at Origin instead of filled
//   Position          screen position of the text's window: used and moved onto the screen only
//                     when both coordinates are non-zero (Origin then becomes Position)
//   Color/ShadowColor background and drop-shadow colours
//   PlainText         tags are drawn as text
//   AutoWidth         (left alignment) the bitmap is as wide as the widest wrapped line
//   WordWrap          lines are wrapped at WrapWidth (less the margins); WrapWidth < 0 draws nothing
//   Border/Shadow     a frame and a checkered drop shadow 6 pixels wide
//   Emboss            the text twice, raised, in the button highlight and shadow colours
//   ShowAccelChar     "&x" underlines x, "&&" is "&"
//   Size              x: right end of the widest line; y: the y below the last line
void DrawRichText(TBitmap* Bitmap, HDC BackgroundDC, TPoint Origin, TPoint& Position, const std::string& Text,
                  TFont* Font, TColor Color, TColor ShadowColor, bool PlainText, bool AutoWidth, bool WordWrap,
                  int WrapWidth, TAlignment Alignment, char TagOpen, char TagClose, int MarginH, int MarginV,
                  bool Border, bool Shadow, bool Emboss, bool ShowAccelChar, TPoint& Size);

// The first component of class TlxFormHelp (or a descendant) among the components of Control's
// top owner (the owner below the application); nil when there is none. Never raises.
TComponent* FindFormHelpComponent(TComponent* Control) noexcept;
template <class T = TlxFormHelp> T* FindFormHelp(TComponent* Control) noexcept {
  return dynamic_cast<T*>(FindFormHelpComponent(Control));
}
