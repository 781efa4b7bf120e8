// Fuzz target for tagged rich text (tools/fuzz.sh richtext): tag stripping (held against the
// passes it replaced on short texts), tag scanning, paragraphs, accelerator marks and line layout,
// which on short texts must give the lines of the plain longest-first wrap. The measure reads tags
// and marks as the drawing does, from the state the lines before leave, with widths from 0 to 4
// that differ between characters and between styles. The first three bytes pick the tag characters
// (or, with the default ones, the base style), the wrap width and the options.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "lx/lxRichTextCore.h"
#include "tests/lx/lxRichTextReference.h"

using namespace lxrichtext_detail;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  if (Size < 3) return 0;
  const char Open = (Data[0] & 0x80) ? static_cast<char>(Data[0] & 0x7F) : '[';
  const char Close = (Data[0] & 0x80) ? static_cast<char>(Data[1] & 0x7F) : ']';
  const int WrapWidth = Data[1] % 97 - 8;
  const uint8_t Options = Data[2];
  const std::string Text(reinterpret_cast<const char*>(Data + 3), Size - 3);

  const std::string Stripped = StripTags(Text, Open, Close);
  if (Stripped.size() > Text.size()) std::abort();
  if (Text.size() <= 512 && Stripped != StripTagsByPasses(Text, Open, Close)) std::abort();

  const TRichState Base{(Data[0] & 0x80) ? 0u : Data[0] & 15u, 0};
  const TRichWrapRules Rules{!(Options & 0x10), Open, Close, (Options & 8) != 0, Base};
  const auto Measure = lxrichtext_reference::ModelMeasure(Rules, [](char C, uint32_t Style) {
    return static_cast<int>((static_cast<unsigned char>(C) * 7 + Style * 3) % 5);
  });
  const TAlignment Alignment = static_cast<TAlignment>(Options % 3);
  const bool WordWrap = Options & 4;
  const int MarginH = Options >> 5;
  const TRichLayout Layout = LayoutRichText(Text, WordWrap, WrapWidth, MarginH, Alignment, Measure, Rules);
  if (Alignment != taLeftJustify && Layout.Widths.size() != Layout.Lines.size()) std::abort();
  size_t Chars = 0;
  for (const std::string& Line : Layout.Lines) Chars += Line.size();
  if (Chars > Text.size()) std::abort();
  if (Text.size() <= 400) {
    const TRichLayout Plain =
        lxrichtext_reference::LayoutLongestFirst(Text, WordWrap, WrapWidth, MarginH, Alignment, Measure, Rules);
    if (Plain.Lines != Layout.Lines || Plain.Widths != Layout.Widths || Plain.Widest != Layout.Widest) std::abort();
  }
  return 0;
}
