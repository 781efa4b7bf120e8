// Fuzz target for tagged rich text (tools/fuzz.sh richtext): tag stripping (held against the
// passes it replaced on short texts), tag scanning, paragraphs, accelerator marks and line layout
// with a measure of fixed-width characters. The first three bytes pick the tag characters, the
// wrap width and the options.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "lx/lxRichTextCore.h"

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

  auto Measure = [&](const std::string& Line) {
    int Width = 0;
    for (const TRichToken& Token : ScanTags(Line, Open, Close))
      if (!Token.IsTag)
        for (const TAccelPiece& Piece : SplitAccelPieces(Token.Value)) Width += static_cast<int>(Piece.Text.size()) * 3;
    return Width;
  };
  const TAlignment Alignment = static_cast<TAlignment>(Options % 3);
  const TRichLayout Layout = LayoutRichText(Text, Options & 4, WrapWidth, Options >> 5, Alignment, Measure);
  if (Alignment != taLeftJustify && Layout.Widths.size() != Layout.Lines.size()) std::abort();
  size_t Chars = 0;
  for (const std::string& Line : Layout.Lines) Chars += Line.size();
  if (Chars > Text.size()) std::abort();
  return 0;
}
