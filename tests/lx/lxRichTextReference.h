// Word wrap as plainly as it can be written, to hold the layout's search against: each line is
// found by measuring the whole rest and cutting words off its end until it fits, from the state the
// lines before it leave. Quadratic, so only for short texts. Also a measure that reads tags and
// accelerator marks as the drawing does, with widths that differ between characters and styles.
#pragma once

#include <algorithm>
#include <string>

#include "lx/lxRichTextCore.h"

namespace lxrichtext_reference {

using namespace lxrichtext_detail;

// Reads a line as the drawing does, from State: Text(piece, state) for each text piece in turn;
// State is left as the line leaves it.
template <class TText>
void ReadLine(const std::string& Line, TRichState& State, const TRichWrapRules& Rules, TText Text) {
  if (!Rules.Tags) return Text(Line, State);
  for (const TRichToken& T : ScanTags(Line, Rules.TagOpen, Rules.TagClose)) {
    if (T.IsTag)
      ApplyTag(T.Value, State, Rules.Base, false);
    else
      Text(T.Value, State);
  }
}

inline TRichLayout LayoutLongestFirst(const std::string& Text, bool WordWrap, int WrapWidth, int MarginH,
                                      TAlignment Alignment, const TMeasureLine& Measure,
                                      const TRichWrapRules& Rules = {}) {
  TRichLayout Layout;
  TRichState State = Rules.Base;  // where the next line starts
  auto MeasureForWrap = [&](std::string S) {
    if (Alignment != taRightJustify)
      while (!S.empty() && static_cast<unsigned char>(S.back()) <= ' ') S.pop_back();
    return Measure(S, State);
  };
  auto AddLine = [&](const std::string& Line) {
    Layout.Lines.push_back(Line);
    if (Alignment != taLeftJustify) Layout.Widths.push_back(MeasureForWrap(Line));
    ReadLine(Line, State, Rules, [](const std::string&, const TRichState&) {});
  };
  for (std::string Rest : SplitParagraphs(Text)) {
    while (WordWrap) {
      std::string Candidate = Rest;
      bool Cut = false;
      for (;;) {
        int End = MeasureForWrap(Candidate);
        if (End <= WrapWidth - MarginH) {
          Layout.Widest = std::max(Layout.Widest, End);
          break;
        }
        size_t Blank = Candidate.size() >= 2 ? Candidate.find_last_of(' ', Candidate.size() - 2) : std::string::npos;
        if (Blank == std::string::npos || Blank == 0) break;  // one word too wide: an over-long line
        Candidate.resize(Blank + 1);
        Cut = true;
      }
      if (!Cut) break;
      AddLine(Candidate);
      Rest.erase(0, Candidate.size());
    }
    AddLine(Rest);
  }
  return Layout;
}

// Right end of a line (from 0) when each character is CharWidth(c, style bits) wide, tags read as
// the drawing reads them from the state the measure is given; with AccelChars, "&" marks are read
// as drawn (a marked character is measured in the style it is drawn in, underlined).
template <class TCharWidth>
TMeasureLine ModelMeasure(const TRichWrapRules& Rules, TCharWidth CharWidth) {
  return [=](const std::string& Line, const TRichState& From) {
    int Width = 0;
    TRichState State = From;
    ReadLine(Line, State, Rules, [&](const std::string& Piece, const TRichState& In) {
      for (const TAccelPiece& P : Rules.AccelChars ? SplitAccelPieces(Piece) : std::vector<TAccelPiece>{{Piece, false}})
        for (char C : P.Text) Width += CharWidth(C, In.Style | (P.Underline ? kRichUnderline : 0));
    });
    return Width;
  };
}

}  // namespace lxrichtext_reference
