// Times word-wrapped rich text: DrawRichText on 2 KB of short words at a narrow width and on 16 KB
// of tagged text, of bracketed synopses, of tagged text opening with an unclosed bracket and of
// long bracketed runs at a width of 30 characters, and on one word of 160 KB, "]&[[[...", with
// accelerator marks (a stray close, then a mark and a run of the open characters that drops),
// each against its floor (the same lines drawn once, without wrapping); and ScanTags on 60 KB and
// 600 KB of tagged text. Prints one line per measurement: name, milliseconds (best of the runs),
// lines drawn (tokens for ScanTags).
//   lx_richtext_bench.exe [runs]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/BenchTiming.h"
#include "classlib/Graphics.h"
#include "lx/lxRichTextUtils.h"

namespace {

// Words of 1 to maxLetters letters; with tags, every ninth word bold and every thirteenth red.
std::string Words(size_t size, int maxLetters, bool tags) {
  std::string text;
  for (int i = 0; text.size() < size; ++i) {
    std::string word(1 + (i * 7) % maxLetters, static_cast<char>('a' + i % 26));
    if (tags && i % 9 == 0) word = "[b]" + word + "[def]";
    if (tags && i % 13 == 0) word = "[red]" + word + "[def]";
    text += word + ' ';
  }
  return text;
}

// Command-line synopses: options and arguments in brackets, each holding a blank or two.
std::string Brackets(size_t size) {
  std::string text;
  for (int i = 0; text.size() < size; ++i) {
    std::string word(1 + (i * 5) % 7, static_cast<char>('a' + i % 26));
    if (i % 4 == 1) word = "[--" + word + " value]";
    if (i % 11 == 3) word = "[" + word + " ...]";
    text += word + ' ';
  }
  return text;
}

// Bracketed runs of sixty words each, a word between them.
std::string Runs(size_t size) {
  std::string text;
  for (int i = 0; text.size() < size; ++i) text += (i % 61 == 0 ? "] x [" : "") + std::string(1 + i % 5, 'a' + i % 26) + ' ';
  return text;
}

class TBench {
public:
  TBench() {
    Font->SetName("MS Sans Serif");
    Font->SetHeight(-11);
    Bitmap->Canvas()->Font()->Assign(Font.get());
    const std::string alphabet = "abcdefghijklmnopqrstuvwxyz";
    CharWidth = std::max(1, Bitmap->Canvas()->TextWidth(alphabet) / 26);
  }

  // DrawRichText with word wrap, then the lines it made drawn again without: both best of the runs.
  void Layout(const char* name, const std::string& text, int widthInChars, int runs, bool accelChars = false) {
    const int width = widthInChars * CharWidth;
    double ms = BestOf(runs, [&] { Draw(text, true, width, accelChars); });
    // The same lines, measured as DrawRichText measures them: from the style the lines before leave,
    // set by a tag of its letters (the font is plain; colours change no width).
    auto measure = [&](const std::string& line, const lxrichtext_detail::TRichState& from) {
      std::string style;
      for (int bit = 0; bit < 4; ++bit)
        if (from.Style & (1u << bit)) style += "BIUS"[bit];
      TPoint size{0, 0};
      Draw("[" + style + "]" + line, false, width, accelChars, &size);
      return size.x;
    };
    const lxrichtext_detail::TRichWrapRules rules{true, '[', ']', accelChars, {}};
    const auto layout = lxrichtext_detail::LayoutRichText(text, true, width, 0, taLeftJustify, measure, rules);
    std::string lines;
    for (const std::string& line : layout.Lines) lines += (lines.empty() ? "" : "\r\n") + line;
    double floor = BestOf(runs, [&] { Draw(lines, false, width, accelChars); });
    std::printf("%s %.1f %zu\n", name, ms, layout.Lines.size());
    std::printf("%s-floor %.1f %zu\n", name, floor, layout.Lines.size());
  }

private:
  void Draw(const std::string& text, bool wrap, int width, bool accelChars, TPoint* measured = nullptr) {
    TPoint position{0, 0}, size{0, 0};
    DrawRichText(Bitmap.get(), nullptr, TPoint{0, 0}, position, text, Font.get(), clWhite, clBlack, false, false,
                 wrap, width, taLeftJustify, '[', ']', 0, 0, false, false, false, accelChars, size);
    if (measured) *measured = size;
  }

  TObjectPtr<TFont> Font{TFont::Create()};
  TObjectPtr<TBitmap> Bitmap{TBitmap::Create()};
  int CharWidth = 1;
};

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
  try {
    TBench bench;
    bench.Layout("short-2k", Words(2048, 4, false), 10, runs);
    bench.Layout("tagged-16k", Words(16384, 9, true), 30, runs);
    bench.Layout("brackets-16k", Brackets(16384), 30, runs);
    bench.Layout("unclosed-16k", "[" + Words(16384, 9, true), 30, runs);
    bench.Layout("runs-16k", Runs(16384), 30, runs);
    bench.Layout("stray-160k", "]&" + std::string(160 * 1024 - 2, '['), 30, runs, true);
    for (size_t size : {60u * 1024, 600u * 1024}) {
      const std::string text = Words(size, 9, true);
      size_t tokens = 0;
      double ms = BestOf(runs, [&] { tokens = lxrichtext_detail::ScanTags(text, '[', ']').size(); });
      std::printf("scantags-%zuk %.1f %zu\n", size / 1024, ms, tokens);
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "lx_richtext_bench: %s\n", e.what());
    return 1;
  }
  return 0;
}
