// Tagged rich text: the tag table and stripping, tag scanning and styles, paragraphs and word wrap
// with a fixed-width measure; then drawing into bitmaps, where sizes come from the same font's
// metrics, frames and shadows are checked pixel for pixel, and text by where its colours land.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>

#include "classlib/Forms.h"
#include "lx/lxRichTextUtils.h"
#include "tests/lx/lxRichTextReference.h"
#include "tests/classlib/graphics_test_support.h"

// Stand-ins for the form-help component and a descendant (only the class name counts).
namespace testfh {
class TlxFormHelp : public TComponent {
  VD_CLASS(TlxFormHelp, TComponent);

public:
  using TComponent::TComponent;
};
VD_DEFINE_CLASS(TlxFormHelp) {}
class TMyFormHelp : public TlxFormHelp {
  VD_CLASS(TMyFormHelp, TlxFormHelp);

public:
  using TlxFormHelp::TlxFormHelp;
};
VD_DEFINE_CLASS(TMyFormHelp) {}
}  // namespace testfh

namespace {

using namespace lxrichtext_detail;
using gfxtest::Px;
using Lines = std::vector<std::string>;

// ---- Stripping ----------------------------------------------------------------------------------

TEST(TagNames, EveryArrangementOfTheStyleLettersThenColoursThenDefaults) {
  const auto& N = TagNames();
  ASSERT_EQ(N.size(), 83u);
  EXPECT_EQ(N.front(), "");
  EXPECT_EQ(N[80], "WHITE");
  EXPECT_EQ(N[81], "DEFAULT");
  EXPECT_EQ(N[82], "DEF");
  std::set<std::string> Names(N.begin(), N.end());
  EXPECT_EQ(Names.size(), 83u);
  std::string Letters = "BIUS";
  int Arrangements = 0;
  for (int Mask = 1; Mask < 16; ++Mask) {
    std::string Pick;
    for (int I = 0; I < 4; ++I)
      if (Mask & (1 << I)) Pick += Letters[I];
    std::sort(Pick.begin(), Pick.end());
    do {
      EXPECT_TRUE(Names.count(Pick)) << Pick;
      ++Arrangements;
    } while (std::next_permutation(Pick.begin(), Pick.end()));
  }
  EXPECT_EQ(Arrangements, 64);
}

TEST(StripTags, RemovesTheKnownTagsInAnyCaseAndKeepsTheOthers) {
  EXPECT_EQ(StripTags("", '[', ']'), "");
  EXPECT_EQ(StripTags("[XYZ]a[]b[RED]c[UISB]d[DEFAULT]e", '[', ']'), "[XYZ]abcde");
  EXPECT_EQ(StripTags("[b]Bold[def] plain", '[', ']'), "Bold plain");
  EXPECT_EQ(StripTags("[Navy]x[bu]y[Def]", '[', ']'), "xy");
  EXPECT_EQ(StripTags("[[B]B]", '[', ']'), "");  // what a removal joins goes in the next pass
  EXPECT_EQ(StripTags("[b]1[b]2[b]3", '[', ']'), "123");
  EXPECT_EQ(StripTags("[1] [BB] [BUSIU] [b", '[', ']'), "[1] [BB] [BUSIU] [b");
  EXPECT_EQ(StripTags("{i}x{/i}{def}", '{', '}'), "x{/i}");
  EXPECT_EQ(StripTags("[b]x", '{', '}'), "[b]x");
}

// The one scan gives what the passes over the text give: on the cases above, on tag soup from
// names, their pieces and stray tag characters, and with odd tag characters (equal, letters).
TEST(StripTags, OneScanMatchesThePasses) {
  const std::string Cases[] = {"", "[XYZ]a[]b[RED]c[UISB]d[DEFAULT]e", "[b]Bold[def] plain", "[[B]B]", "[[[b]]]",
                               "[1] [BB] [BUSIU] [b", "[De[]f][de[b]F]", "x]]][[[y", "[[RE[D]D]]"};
  for (const std::string& C : Cases) EXPECT_EQ(StripTags(C, '[', ']'), StripTagsByPasses(C, '[', ']')) << C;
  const std::string Pieces[] = {"[", "]", "[", "]", "b", "I", "us", "DEF", "ault", "Red", "x", " ", "[]", "NAVY"};
  std::mt19937 Random(12);
  const std::pair<char, char> Chars[] = {{'[', ']'}, {'<', '>'}, {'|', '|'}, {'B', ']'}, {'[', 'S'}, {'b', ']'}};
  for (int Round = 0; Round < 3000; ++Round) {
    std::string Soup;
    for (int I = Random() % 40; I > 0; --I) Soup += Pieces[Random() % std::size(Pieces)];
    for (auto [Open, Close] : Chars) {
      std::string Text = Soup;
      for (char& C : Text) C = C == '[' ? Open : C == ']' ? Close : C;
      ASSERT_EQ(StripTags(Text, Open, Close), StripTagsByPasses(Text, Open, Close)) << Text;
    }
  }
}

// ---- Tags and styles ----------------------------------------------------------------------------

TRichToken Txt(const std::string& S) { return {false, S}; }
TRichToken Tag(const std::string& S) { return {true, S}; }

TEST(ScanTags, TextAndUpperCaseTagNames) {
  using V = std::vector<TRichToken>;
  EXPECT_EQ(ScanTags("[b]Bold[def] plain", '[', ']'), (V{Tag("B"), Txt("Bold"), Tag("DEF"), Txt(" plain")}));
  EXPECT_EQ(ScanTags("a]b[c]", '[', ']'), (V{Txt("a]bc]")}));  // the open character goes
  EXPECT_EQ(ScanTags("x [y", '[', ']'), (V{Txt("x [y")}));
  EXPECT_EQ(ScanTags("[][Red]", '[', ']'), (V{Tag(""), Tag("RED")}));
  EXPECT_EQ(ScanTags("", '[', ']'), V{});
  EXPECT_EQ(ScanTags("<i>x<def>", '<', '>'), (V{Tag("I"), Txt("x"), Tag("DEF")}));
  EXPECT_EQ(ScanTags("|b|x|", '|', '|'), (V{Tag("B"), Txt("x|")}));
}

TEST(ApplyTag, DefaultsColoursAndStyleLetters) {
  const TRichState Base{kRichItalic, clNavy};
  TRichState S = Base;
  ApplyTag("BU", S, Base, false);
  EXPECT_EQ(S, (TRichState{kRichBold | kRichUnderline, clNavy}));
  ApplyTag("RED", S, Base, false);  // colour only
  EXPECT_EQ(S, (TRichState{kRichBold | kRichUnderline, clRed}));
  ApplyTag("S", S, Base, false);
  EXPECT_EQ(S, (TRichState{kRichStrikeOut, clRed}));
  ApplyTag("DEF", S, Base, false);
  EXPECT_EQ(S, Base);
  ApplyTag("XYZ", S, Base, false);  // no style letter: plain
  EXPECT_EQ(S, (TRichState{0, clNavy}));
  ApplyTag("", S, Base, false);
  EXPECT_EQ(S, (TRichState{0, clNavy}));
  ApplyTag("B", S, Base, false);
  ApplyTag("DEFAULT", S, Base, false);
  EXPECT_EQ(S, Base);
  // Embossed text keeps its pass colour.
  TRichState E{0, clGray};
  ApplyTag("LIME", E, Base, true);
  EXPECT_EQ(E.Color, clGray);
  ApplyTag("DEF", E, Base, true);
  EXPECT_EQ(E, (TRichState{kRichItalic, clGray}));
  TColor C;
  ASSERT_TRUE(TagColor("FUCHSIA", C));
  EXPECT_EQ(C, 0xFF00FF);
  ASSERT_TRUE(TagColor("MAROON", C));
  EXPECT_EQ(C, 0x000080);
  EXPECT_FALSE(TagColor("ORANGE", C));
}

TEST(SplitParagraphs, LineFeedOrCarriageReturnLineFeedButNotCarriageReturnAlone) {
  EXPECT_EQ(SplitParagraphs("one\r\ntwo"), (Lines{"one", "two"}));
  EXPECT_EQ(SplitParagraphs("a\nb\nc"), (Lines{"a", "b", "c"}));
  EXPECT_EQ(SplitParagraphs("a\rb"), (Lines{"a\rb"}));
  EXPECT_EQ(SplitParagraphs("a\n\r\nb\r\n"), (Lines{"a", "", "b", ""}));
  EXPECT_EQ(SplitParagraphs(""), (Lines{""}));
}

TEST(SplitAccelPieces, MarkedCharactersAreUnderlined) {
  using V = std::vector<TAccelPiece>;
  EXPECT_EQ(SplitAccelPieces("&File"), (V{{"F", true}, {"ile", false}}));
  EXPECT_EQ(SplitAccelPieces("Save &As"), (V{{"Save ", false}, {"A", true}, {"s", false}}));
  EXPECT_EQ(SplitAccelPieces("a&&b"), (V{{"a&b", false}}));
  EXPECT_EQ(SplitAccelPieces("end&"), (V{{"end&", false}}));
  EXPECT_EQ(SplitAccelPieces("&&&x"), (V{{"&", false}, {"x", true}}));
}

// ---- Layout -------------------------------------------------------------------------------------

// One pixel per character, tags included; the right end starts at the margin.
TMeasureLine CharMeasure(int MarginH) {
  return [MarginH](const std::string& Line, const TRichState&) { return MarginH + static_cast<int>(Line.size()); };
}

TEST(Layout, ParagraphsWithoutWrappingAreTheLines) {
  TRichLayout L = LayoutRichText("a b c\r\nlonger line\nx", false, 3, 0, taLeftJustify, CharMeasure(0));
  EXPECT_EQ(L.Lines, (Lines{"a b c", "longer line", "x"}));
  EXPECT_TRUE(L.Widths.empty());
  EXPECT_EQ(L.Widest, 0);  // only wrapping measures
}

TEST(Layout, WrapsAfterTheLastBlankThatFitsKeepingTheBlank) {
  TRichLayout L = LayoutRichText("aaa bbb ccc dd", true, 9, 1, taLeftJustify, CharMeasure(1));
  // Limit 9 - 1 = 8 with the right end starting at 1: seven characters fit.
  EXPECT_EQ(L.Lines, (Lines{"aaa bbb ", "ccc dd"}));
  EXPECT_EQ(L.Widest, 8);
  TRichLayout M = LayoutRichText("aaa bbb ccc dd\nee", true, 6, 0, taLeftJustify, CharMeasure(0));
  EXPECT_EQ(M.Lines, (Lines{"aaa ", "bbb ", "ccc dd", "ee"}));
  EXPECT_EQ(M.Widest, 6);
}

TEST(Layout, OverlongWordsStandAlone) {
  // One word too wide: one line, and it does not count as the widest.
  TRichLayout One = LayoutRichText("abcdefghij", true, 5, 0, taLeftJustify, CharMeasure(0));
  EXPECT_EQ(One.Lines, (Lines{"abcdefghij"}));
  EXPECT_EQ(One.Widest, 0);
  // After an earlier cut the long word is a line of its own and wrapping goes on behind it.
  TRichLayout After = LayoutRichText("ab cdefghij kl mn", true, 5, 0, taLeftJustify, CharMeasure(0));
  EXPECT_EQ(After.Lines, (Lines{"ab ", "cdefghij ", "kl mn"}));
  EXPECT_EQ(After.Widest, 5);
  // A blank as first character is no place to cut.
  TRichLayout Lead = LayoutRichText(" abcdefgh", true, 5, 0, taLeftJustify, CharMeasure(0));
  EXPECT_EQ(Lead.Lines, (Lines{" abcdefgh"}));
}

TEST(Layout, RightAlignedTextIsMeasuredWithItsBlanksAndLinesKeepTheirWidths) {
  // "aa bb " fits only when its blank is not counted.
  TRichLayout Left = LayoutRichText("aa bb cc", true, 5, 0, taLeftJustify, CharMeasure(0));
  EXPECT_EQ(Left.Lines, (Lines{"aa bb ", "cc"}));
  EXPECT_TRUE(Left.Widths.empty());
  TRichLayout Right = LayoutRichText("aa bb cc", true, 5, 0, taRightJustify, CharMeasure(0));
  EXPECT_EQ(Right.Lines, (Lines{"aa ", "bb cc"}));
  EXPECT_EQ(Right.Widths, (std::vector<int>{3, 5}));
  // Centred lines are measured without their trailing blanks.
  TRichLayout Centre = LayoutRichText("ab cd \ne", true, 10, 2, taCenter, CharMeasure(2));
  EXPECT_EQ(Centre.Lines, (Lines{"ab cd ", "e"}));
  EXPECT_EQ(Centre.Widths, (std::vector<int>{7, 3}));
}

// A start that ends inside a bracket shows it as text, so it can be wider than a longer start that
// closes the bracket and hides it: the line is still the longest start that fits.
TEST(Layout, ALineThatClosesABracketIsTakenThoughAShorterStartIsWider) {
  const TRichWrapRules Tags{true, '[', ']', false, {}};
  const TMeasureLine Measure = lxrichtext_reference::ModelMeasure(Tags, [](char, bool) { return 3; });
  TRichLayout Hidden = LayoutRichText("[command_string file]", true, 30, 0, taLeftJustify, Measure, Tags);
  EXPECT_EQ(Hidden.Lines, (Lines{"[command_string file]"}));
  EXPECT_EQ(Hidden.Widest, 0);
  TRichLayout Shown =
      LayoutRichText("allow = always [protocol \"persistent-http\"]", true, 60, 0, taLeftJustify, Measure, Tags);
  EXPECT_EQ(Shown.Lines, (Lines{"allow = always [protocol \"persistent-http\"]"}));
  EXPECT_EQ(Shown.Widest, 45);
}

// Each line costs a few measures of about its own length, whatever text follows it: measuring all
// the rest again for every word cut off it took seconds for a few kilobytes.
TEST(Layout, MeasuringWorkGrowsWithTheTextNotWithItsSquare) {
  for (size_t Size : {2048u, 16384u}) {
    std::string Text;
    for (int I = 0; Text.size() < Size; ++I) Text += std::string(1 + I % 4, 'a' + I % 26) + ' ';
    size_t Calls = 0, Measured = 0;
    TMeasureLine Counted = [&](const std::string& Line, const TRichState&) {
      ++Calls;
      Measured += Line.size();
      return static_cast<int>(Line.size());
    };
    for (int Width : {12, 30, 300}) {
      Calls = Measured = 0;
      TRichLayout L = LayoutRichText(Text, true, Width, 0, taLeftJustify, Counted);
      EXPECT_GT(L.Lines.size(), Size / (Width + 4));
      EXPECT_LE(Calls, Text.size() / 2) << Size << " at " << Width;
      EXPECT_LE(Measured, 16 * Text.size()) << Size << " at " << Width;
    }
  }
}

// ---- Drawing ------------------------------------------------------------------------------------

class DrawRichTextTest : public ::testing::Test {
protected:
  void SetUp() override {
    Font->SetName("Tahoma");
    Font->SetSize(10);
    Font->SetColor(clBlack);
    Probe->Canvas()->Font()->Assign(Font.get());
  }

  int TextW(const std::string& S, TFontStyles Style = {}) {
    Probe->Canvas()->Font()->SetStyle(Style);
    int W = Probe->Canvas()->TextWidth(S);
    Probe->Canvas()->Font()->SetStyle({});
    return W;
  }
  int LineH() { return Probe->Canvas()->TextHeight("Wj"); }

  // Draws with the defaults of the form-help popup (border, no shadow) unless changed.
  struct TArgs {
    std::string Text;
    bool PlainText = false, AutoWidth = false, WordWrap = false;
    int WrapWidth = 200;
    TAlignment Alignment = taLeftJustify;
    int MarginH = 4, MarginV = 3;
    bool Border = false, Shadow = false, Emboss = false, ShowAccelChar = false;
    TPoint Position{0, 0};
    HDC Background = nullptr;
    TPoint Origin{0, 0};
  };
  TPoint Draw(const TArgs& A) {
    TPoint Size{-1, -1};
    Position = A.Position;
    DrawRichText(Bitmap.get(), A.Background, A.Origin, Position, A.Text, Font.get(), clWhite, clGray, A.PlainText,
                 A.AutoWidth, A.WordWrap, A.WrapWidth, A.Alignment, '[', ']', A.MarginH, A.MarginV, A.Border,
                 A.Shadow, A.Emboss, A.ShowAccelChar, Size);
    return Size;
  }
  TArgs Text(const std::string& S) {
    TArgs A;
    A.Text = S;
    return A;
  }

  // The columns that hold any pixel other than the background, as [first, last].
  std::pair<int, int> InkColumns() {
    int First = -1, Last = -1;
    for (int X = 0; X < Bitmap->Width(); ++X)
      for (int Y = 0; Y < Bitmap->Height(); ++Y)
        if (Px(Bitmap.get(), X, Y) != clWhite) {
          if (First < 0) First = X;
          Last = X;
          break;
        }
    return {First, Last};
  }

  int RedInk() {
    return gfxtest::CountIn(Bitmap.get(), Rect(0, 0, Bitmap->Width(), Bitmap->Height()), gfxtest::IsRedInk);
  }

  TObjectPtr<TFont> Font{TFont::Create()};
  TObjectPtr<TBitmap> Probe{gfxtest::NewBitmap(4, 4)};
  TObjectPtr<TBitmap> Bitmap{gfxtest::NewBitmap(1, 1)};
  TPoint Position{0, 0};
};

TEST_F(DrawRichTextTest, NegativeWrapWidthDrawsNothing) {
  Bitmap->SetSize(5, 5);
  Bitmap->Canvas()->SetPixels(2, 2, clRed);
  TArgs A = Text("text");
  A.WrapWidth = -1;
  TPoint Size = Draw(A);
  EXPECT_EQ(Size.x, 0);
  EXPECT_EQ(Size.y, 0);
  EXPECT_EQ(Bitmap->Width(), 5);
  EXPECT_EQ(Px(Bitmap.get(), 2, 2), clRed);
}

TEST_F(DrawRichTextTest, SizeFollowsTheLinesTheMarginsAndTheShadow) {
  TArgs A = Text("one\r\ntwo\nthree\rstill three");
  TPoint Size = Draw(A);
  EXPECT_EQ(Bitmap->Width(), 200);
  EXPECT_EQ(Bitmap->Height(), 3 * LineH() + 2 * 3);
  EXPECT_EQ(Size.y, 3 + 3 * LineH());
  EXPECT_EQ(Size.x, 4 + TextW("three\rstill three"));
  A.Shadow = true;
  Draw(A);
  EXPECT_EQ(Bitmap->Height(), 3 * LineH() + 2 * 3 + 8);
  // AutoWidth with wrapping: as wide as the text and both margins (plus 7 with the shadow).
  TArgs W = Text("short");
  W.AutoWidth = W.WordWrap = true;
  Size = Draw(W);
  EXPECT_EQ(Bitmap->Width(), TextW("short") + 2 * 4);
  EXPECT_EQ(Size.x, 4 + TextW("short"));
  W.Shadow = true;
  Draw(W);
  EXPECT_EQ(Bitmap->Width(), TextW("short") + 2 * 4 + 7);
}

TEST_F(DrawRichTextTest, TagsChangeStyleAndColourAndAreNotDrawn) {
  TPoint Size = Draw(Text("[b]Bold[def] plain"));
  EXPECT_EQ(Size.x, 4 + TextW("Bold", {fsBold}) + TextW(" plain"));
  EXPECT_EQ(Draw(Text("a]b[c]")).x, 4 + TextW("a]bc]"));
  EXPECT_EQ(Draw(Text("x [y")).x, 4 + TextW("x [y"));
  TArgs Plain = Text("[b]x[red]");
  Plain.PlainText = true;
  EXPECT_EQ(Draw(Plain).x, 4 + TextW("[b]x[red]"));
  // A style carries into the next line, whose width is measured as drawn.
  EXPECT_EQ(Draw(Text("[b]\nWWW")).x, 4 + TextW("WWW", {fsBold}));

  Draw(Text("[red]Red"));
  EXPECT_GT(RedInk(), 5);
  auto [First, Last] = InkColumns();
  EXPECT_GE(First, 4);  // the text begins at the margin, in its first letter
  EXPECT_LT(First, 4 + TextW("R"));
  EXPECT_LE(Last, 4 + TextW("Red"));
  Draw(Text("Black"));
  EXPECT_EQ(RedInk(), 0);
}

TEST_F(DrawRichTextTest, RightAndCentredLinesCountTheMarginTwice) {
  TArgs R = Text("right");
  R.Alignment = taRightJustify;
  TPoint Size = Draw(R);
  EXPECT_EQ(Size.x, 200 - 2 * 4);  // right end at WrapWidth - 2 x MarginH
  EXPECT_LE(InkColumns().second, 200 - 2 * 4);
  TArgs C = Text("mid");
  C.Alignment = taCenter;
  Size = Draw(C);
  EXPECT_EQ(Size.x, ((200 - 4 - (4 + TextW("mid"))) >> 1) + TextW("mid"));
}

TEST_F(DrawRichTextTest, BorderAndShadowPixels) {
  TArgs A = Text("x");
  A.Border = A.Shadow = true;
  A.MarginH = 10;
  A.MarginV = 10;
  Draw(A);
  int W = Bitmap->Width(), H = Bitmap->Height();
  EXPECT_EQ(Px(Bitmap.get(), 0, 0), clBlack);  // the canvas pen
  EXPECT_EQ(Px(Bitmap.get(), W - 7, H - 7), clBlack);
  EXPECT_EQ(Px(Bitmap.get(), 1, 1), static_cast<TColor>(ColorToRGB(clBtnFace)));
  EXPECT_EQ(Px(Bitmap.get(), W - 8, 5), static_cast<TColor>(ColorToRGB(clBtnFace)));
  EXPECT_EQ(Px(Bitmap.get(), 2, 2), clWhite);
  // The checkered band right of and below the box, every pixel of it.
  int Right = W - 7, Bottom = H - 7;
  std::set<std::pair<int, int>> Shadow;
  for (int X = 7; X <= Right; ++X)
    for (int D : X % 2 == 0 ? std::vector<int>{2, 4, 6} : std::vector<int>{1, 3, 5}) Shadow.insert({X, Bottom + D});
  for (int Y = 7; Y <= Bottom + 7; ++Y)
    for (int D : (Y - Bottom) % 2 == 0 ? std::vector<int>{2, 4, 6} : std::vector<int>{1, 3, 5})
      Shadow.insert({Right + D, Y});
  int Wrong = 0;
  for (int Y = 0; Y < H; ++Y)
    for (int X = 0; X < W; ++X) {
      if (X < W - 6 && Y < H - 6) continue;  // the box
      TColor Want = Shadow.count({X, Y}) ? clGray : clWhite;
      if (Px(Bitmap.get(), X, Y) != Want) ++Wrong;
    }
  EXPECT_EQ(Wrong, 0);
}

TEST_F(DrawRichTextTest, PositionIsMovedOntoTheScreen) {
  int SW = GetSystemMetrics(SM_CXSCREEN), SH = GetSystemMetrics(SM_CYSCREEN);
  TArgs A = Text("popup");
  A.Position = Point(SW - 3, SH - 3);
  Draw(A);
  EXPECT_EQ(Position.x, SW - Bitmap->Width());
  EXPECT_EQ(Position.y, SH - Bitmap->Height() - 20);
  A.Position = Point(10, -40);
  Draw(A);
  EXPECT_EQ(Position.x, 0);
  EXPECT_EQ(Position.y, 0);
  A.Position = Point(300, 200);
  Draw(A);
  EXPECT_EQ(Position.x, 300 - 200 / 2);
  EXPECT_EQ(Position.y, 200);
  A.Position = Point(0, 5000);  // a zero coordinate: not used
  Draw(A);
  EXPECT_EQ(Position.x, 0);
  EXPECT_EQ(Position.y, 5000);
}

TEST_F(DrawRichTextTest, BackgroundIsCopiedFromTheOriginOrThePosition) {
  TObjectPtr<TBitmap> Back(gfxtest::NewBitmap(600, 400));
  Back->Canvas()->Brush()->SetColor(clYellow);
  Back->Canvas()->FillRect(Rect(0, 0, 600, 400));
  Back->Canvas()->Brush()->SetColor(clLime);
  Back->Canvas()->FillRect(Rect(50, 60, 600, 400));
  TArgs A = Text("");
  A.MarginV = 20;  // taller than the yellow band
  A.Background = Back->Canvas()->Handle();
  A.Origin = Point(50, 60);
  Draw(A);
  EXPECT_EQ(Px(Bitmap.get(), 0, 0), clLime);
  EXPECT_EQ(Px(Bitmap.get(), 150, 5), clLime);
  A.Origin = Point(0, 0);
  A.Position = Point(100 + 100, 30);  // moved half the width to the left: (100, 30)
  Draw(A);
  EXPECT_EQ(Position.x, 100);
  EXPECT_EQ(Px(Bitmap.get(), 0, 0), clYellow);  // (100, 30) is still yellow
  EXPECT_EQ(Px(Bitmap.get(), 0, 30), clLime);   // (100, 60)
}

// A style that spans lines, and paragraphs, is drawn on each line in the state the lines before it
// leave, so each line is measured in it: measured plain and drawn bold italic, lines ran past the
// right margin, the longest up to the bitmap's edge.
TEST_F(DrawRichTextTest, AStyleOverSeveralLinesKeepsEveryLineInsideTheRightMargin) {
  Font->SetHeight(-13);
  Probe->Canvas()->Font()->Assign(Font.get());
  TArgs A = Text(
      "[BI]The popup shows the long hint of the control under the mouse, wrapped to its width and drawn in "
      "the style its tags set, line after line.\r\nA second paragraph goes on in that style until the tag at "
      "its very end sets the plain style back again.[DEF]");
  A.WordWrap = true;
  A.WrapWidth = 220;
  A.MarginH = 12;
  for (auto [Alignment, AutoWidth] : {std::pair{taLeftJustify, false}, {taLeftJustify, true},
                                      {taRightJustify, false}, {taCenter, false}}) {
    A.Alignment = Alignment;
    A.AutoWidth = AutoWidth;
    TPoint Size = Draw(A);
    EXPECT_GE(Size.y, 3 + 6 * LineH());
    EXPECT_LT(InkColumns().second, A.WrapWidth - A.MarginH) << "alignment " << Alignment << ", AutoWidth "
                                                            << AutoWidth;
  }
}

TEST_F(DrawRichTextTest, EmbossAndAcceleratorCharacters) {
  TArgs E = Text("[red]Raised");
  E.Emboss = true;
  TPoint Size = Draw(E);
  EXPECT_EQ(Size.y, 3 + LineH());
  EXPECT_EQ(RedInk(), 0);
  EXPECT_GT(gfxtest::CountIn(Bitmap.get(), Rect(0, 0, Bitmap->Width(), Bitmap->Height()),
                             [](TColor P) { return P != clWhite; }),
            5);
  TArgs K = Text("&File &&more&");
  K.ShowAccelChar = true;
  EXPECT_EQ(Draw(K).x, 4 + TextW("F", {fsUnderline}) + TextW("ile &more&"));
}

// ---- FindFormHelp -------------------------------------------------------------------------------

TEST(FindFormHelp, TheFirstFormHelpAmongTheTopOwnersComponents) {
  TObjectPtr<TComponent> Form(TComponent::Create(nullptr));
  TComponent* Panel = TComponent::Create(Form.get());
  TComponent* Inner = TComponent::Create(Panel);
  EXPECT_EQ(FindFormHelpComponent(Inner), nullptr);
  auto* Help = testfh::TMyFormHelp::Create(Form.get());
  testfh::TlxFormHelp::Create(Form.get());
  EXPECT_EQ(FindFormHelpComponent(Inner), Help);  // a descendant counts; the first one wins
  EXPECT_EQ(FindFormHelp<testfh::TlxFormHelp>(Panel), Help);
  EXPECT_EQ(FindFormHelpComponent(Form.get()), Help);
  EXPECT_EQ(FindFormHelpComponent(nullptr), nullptr);
  // The walk stops below the application.
  TComponent* Owned = TComponent::Create(Application.Get());
  testfh::TlxFormHelp::Create(Owned);
  TComponent* Child = TComponent::Create(Owned);
  EXPECT_EQ(FindFormHelpComponent(Child), Owned->Components(0));
  Owned->Free();
}

}  // namespace
