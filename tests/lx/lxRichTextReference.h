// Word wrap as plainly as it can be written, to hold the layout's search against: each line is
// found by measuring the whole rest and cutting words off its end until it fits. Quadratic, so only
// for short texts. Also a measure that reads tags and accelerator marks as the drawing does, with
// widths that differ between characters and styles.
#pragma once

#include <algorithm>
#include <string>

#include "lx/lxRichTextCore.h"

namespace lxrichtext_reference {

using namespace lxrichtext_detail;

inline TRichLayout LayoutLongestFirst(const std::string& Text, bool WordWrap, int WrapWidth, int MarginH,
                                      TAlignment Alignment, const TMeasureLine& Measure) {
  TRichLayout Layout;
  auto MeasureForWrap = [&](std::string S) {
    if (Alignment != taRightJustify)
      while (!S.empty() && static_cast<unsigned char>(S.back()) <= ' ') S.pop_back();
    return Measure(S);
  };
  auto AddLine = [&](const std::string& Line) {
    Layout.Lines.push_back(Line);
    if (Alignment != taLeftJustify) Layout.Widths.push_back(MeasureForWrap(Line));
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

// Right end of a line (from 0) when each character is CharWidth(c, bold) wide; tags whose name
// holds a B make the text bold, other tags plain; with AccelChars, "&" marks are read as drawn.
template <class TCharWidth>
TMeasureLine ModelMeasure(const TRichWrapRules& Rules, TCharWidth CharWidth) {
  return [=](const std::string& Line) {
    int Width = 0;
    bool Bold = false;
    auto Output = [&](const std::string& Piece) {
      for (const TAccelPiece& P : Rules.AccelChars ? SplitAccelPieces(Piece) : std::vector<TAccelPiece>{{Piece, false}})
        for (char C : P.Text) Width += CharWidth(C, Bold);
    };
    if (!Rules.Tags) {
      Output(Line);
      return Width;
    }
    for (const TRichToken& T : ScanTags(Line, Rules.TagOpen, Rules.TagClose)) {
      if (T.IsTag)
        Bold = T.Value.find('B') != std::string::npos;
      else
        Output(T.Value);
    }
    return Width;
  };
}

}  // namespace lxrichtext_reference
