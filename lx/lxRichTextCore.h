// The text side of tagged rich text: the tag table, tag stripping, tag scanning, what tags set,
// paragraphs, accelerator marks and line layout over a measuring callback. No drawing and no
// Windows types, so it builds natively for fuzzing; lxRichTextUtils draws with it.
//
// Tagged text: "[B]Bold[DEF] plain [RED]red" - a tag is a name between the tag characters.
// StripTags removes only the names of the table (the style-letter combinations, the colour names,
// "DEFAULT" and "DEF"), in any case, and keeps other tags: "[XYZ]a[]b[red]c" gives "[XYZ]abc".
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "classlib/Classes.h"

// Text without its tags. Removal repeats until nothing more goes, so "[[B]B]" becomes "".
std::string StripTags(const std::string& Text, char TagOpen, char TagClose);

namespace lxrichtext_detail {

// The tag names StripTags removes, in the order it tries them (83 names).
const std::vector<std::string>& TagNames();

// The sixteen colour names (upper case) and their 0x00BBGGRR values, in table order.
struct TRichTagColor {
  const char* Name;
  int32_t Color;
};
const std::vector<TRichTagColor>& RichTagColors();

// The style and colour in force where text is drawn: Style holds font styles as the bits of the
// class library's TFontStyles, Color the font colour.
inline constexpr uint32_t kRichBold = 1, kRichItalic = 2, kRichUnderline = 4, kRichStrikeOut = 8;
struct TRichState {
  uint32_t Style = 0;
  int32_t Color = 0;
  friend bool operator==(const TRichState&, const TRichState&) = default;
};
// Applies tag Name (upper case) to State; Base is the base font's state. With Emboss the colour
// never changes.
void ApplyTag(const std::string& Name, TRichState& State, const TRichState& Base, bool Emboss);
// The colour of a colour name (upper case), false for other names.
bool TagColor(const std::string& Name, int32_t& Color);

// StripTags as passes over the text: per pass, for each name in table order, the first
// occurrence goes; passes repeat until one removes nothing. Quadratic; StripTags uses it only
// where the result depends on that order (equal tag characters, or an opening one that is a
// letter), and tests hold the linear scan against it.
std::string StripTagsByPasses(const std::string& Text, char TagOpen, char TagClose);

// A piece of text or a tag name (upper case) of one line.
struct TRichToken {
  bool IsTag = false;
  std::string Value;
  friend bool operator==(const TRichToken&, const TRichToken&) = default;
};
// Splits a line at its tags: the first open and the first close character make a tag; a close
// character before the first open one makes that open character go ("a]b[c]" is the text
// "a]bc]"); an open character without a close one is text.
std::vector<TRichToken> ScanTags(const std::string& Line, char TagOpen, char TagClose);

// Paragraphs at LF or CR LF (a CR alone stays in the text).
std::vector<std::string> SplitParagraphs(const std::string& Text);

// An output piece split at its accelerator marks.
struct TAccelPiece {
  std::string Text;
  bool Underline = false;
  friend bool operator==(const TAccelPiece&, const TAccelPiece&) = default;
};
std::vector<TAccelPiece> SplitAccelPieces(const std::string& Piece);

// The lines of a text and, for right and centred alignment, the right end each line measured.
struct TRichLayout {
  std::vector<std::string> Lines;
  std::vector<int> Widths;  // only when the alignment is not left
  int Widest = 0;           // widest right end of the lines the wrapping measured as fitting
};
// Right end (from MarginH on) of a line as drawn from the state From.
using TMeasureLine = std::function<int(const std::string& Line, const TRichState& From)>;
// How the measure reads a line, as far as wrapping must know it: a line that holds more text is no
// narrower, except where the longer line closes a tag the shorter one shows as text, or gives an
// accelerator mark the shorter one ends with a character to underline.
struct TRichWrapRules {
  bool Tags = false;  // tags are read (the text is not plain)
  char TagOpen = '[';
  char TagClose = ']';
  bool AccelChars = false;  // "&" marks an accelerator character
  TRichState Base;          // the base font's: where the first line starts
};
// Each wrapped line is the longest start of the rest that fits: the rest itself, or the rest up to
// a blank (kept at the line's end) that is neither its first nor its last character; when none
// fits, the start up to the first such blank is an over-long line of its own. Tags carry over
// from line to line, paragraphs included, as drawn: each line is measured from the state the
// lines before it leave (with the colours the tags set, also for embossed text, whose colour never
// changes: no width depends on a colour).
TRichLayout LayoutRichText(const std::string& Text, bool WordWrap, int WrapWidth, int MarginH, TAlignment Alignment,
                           const TMeasureLine& Measure, const TRichWrapRules& Rules = {});

}  // namespace lxrichtext_detail
