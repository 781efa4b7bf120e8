// The drawing routines rendered into 32-bit memory bitmaps: fills, gradients and frames pixel for
// pixel; pictures by where their marked pixels land; glyphs by the colour of every pixel.
#include <gtest/gtest.h>

#include <functional>

#include "lx/lxGraphics.h"
#include "tests/classlib/graphics_test_support.h"

namespace {

using namespace gfxtest;
using namespace lxgraphics_detail;

constexpr TColor kGround = 0x00C0A080;  // what a target holds before drawing
constexpr TColor kKey = 0x00FF00FF;     // transparent colour of the test glyphs

TBitmap* Target(int W, int H) {
  TBitmap* B = NewBitmap(W, H);
  B->Canvas()->Brush()->SetColor(kGround);
  B->Canvas()->FillRect(Rect(0, 0, W, H));
  return B;
}

HDC DCOf(TBitmap* B) { return B->Canvas()->Handle(); }

int Channel(COLORREF C, int Shift) { return static_cast<int>((C >> Shift) & 0xFF); }

// Every pixel of B for which Expected gives a colour must have it.
void ExpectPixels(TBitmap* B, const std::function<TColor(int X, int Y)>& Expected) {
  int Wrong = 0;
  for (int Y = 0; Y < B->Height(); ++Y)
    for (int X = 0; X < B->Width(); ++X) {
      TColor E = Expected(X, Y);
      if (Px(B, X, Y) != E && ++Wrong <= 5)
        ADD_FAILURE() << "pixel (" << X << "," << Y << ") is " << std::hex << Px(B, X, Y) << ", expected " << E;
    }
  EXPECT_EQ(Wrong, 0);
}

bool Inside(int X, int Y, const TRect& R) { return X >= R.left && X < R.right && Y >= R.top && Y < R.bottom; }

// ---- Fills and gradients ------------------------------------------------------------------------

TEST(FillSolidRect, FillsExactlyTheRectangleWithTheResolvedColour) {
  TObjectPtr<TBitmap> B(Target(12, 10));
  TRect R = Rect(2, 3, 9, 8);
  FillSolidRect(DCOf(B.get()), R, clRed);
  ExpectPixels(B.get(), [&](int X, int Y) { return Inside(X, Y, R) ? clRed : kGround; });
  FillSolidRect(DCOf(B.get()), Rect(0, 0, 1, 1), clBtnFace);
  EXPECT_EQ(static_cast<COLORREF>(Px(B.get(), 0, 0)), GetSysColor(COLOR_BTNFACE));
}

TEST(Gradient, BandCountAndBandColours) {
  EXPECT_EQ(GradientBandCount(gdVertical, Rect(0, 0, 3, 3)), 255);
  EXPECT_EQ(GradientBandCount(gdHorizontal, Rect(0, 0, 2000, 1000)), 255);
  EXPECT_EQ(GradientBandCount(gdCentral, Rect(0, 0, 3, 100)), 2);  // at least two
  EXPECT_EQ(GradientBandCount(gdCentral, Rect(0, 0, 2000, 1000)), 255);
  EXPECT_EQ(GradientBandCount(gdCentral, Rect(10, 10, 110, 70)), 30);  // the smaller half
  COLORREF C1 = RGB(10, 200, 30), C2 = RGB(250, 0, 31);
  EXPECT_EQ(GradientBandColor(C1, C2, 0, 255), C1);
  EXPECT_EQ(GradientBandColor(C1, C2, 254, 255), C2);
  EXPECT_EQ(GradientBandColor(C1, C2, 127, 255), RGB(10 + 120, 200 - 100, 31));  // rounded: 30.5 gives 31
  for (int I = 0; I < 255; ++I) EXPECT_EQ(GradientBandColor(C1, C1, I, 255), C1);
}

TEST(Gradient, VerticalRunsFromColour1AtTheTopToColour2AtTheBottomInsideItsRectangle) {
  TObjectPtr<TBitmap> B(Target(14, 520));
  TRect R = Rect(2, 5, 12, 515);  // 510 rows: two per band
  FillGradient(DCOf(B.get()), R, clBlack, clWhite, clRed, gdVertical);
  ExpectPixels(B.get(), [&](int X, int Y) -> TColor {
    if (!Inside(X, Y, R)) return kGround;
    return static_cast<TColor>(GradientBandColor(0, 0xFFFFFF, (Y - R.top) / 2, 255));
  });
  EXPECT_EQ(Px(B.get(), 2, 5), clBlack);
  EXPECT_EQ(Px(B.get(), 11, 514), clWhite);
}

TEST(Gradient, HorizontalRunsFromLeftToRightAndEqualColoursFillEvenly) {
  TObjectPtr<TBitmap> B(Target(260, 4));
  FillGradient(DCOf(B.get()), Rect(0, 0, 255, 3), clBlue, clLime, clRed, gdHorizontal);
  ExpectPixels(B.get(), [&](int X, int Y) -> TColor {
    if (X >= 255 || Y >= 3) return kGround;
    return static_cast<TColor>(GradientBandColor(ColorToRGB(clBlue), ColorToRGB(clLime), X, 255));
  });
  FillGradient(DCOf(B.get()), Rect(0, 0, 260, 4), clTeal, clTeal, clRed, gdHorizontal);
  EXPECT_EQ(CountColor(B.get(), clTeal), 260 * 4);
  // No DC, or a direction beyond the last: nothing.
  FillGradient(nullptr, Rect(0, 0, 10, 10), clWhite, clBlack, clRed, gdCentral);
  FillGradient(DCOf(B.get()), Rect(0, 0, 8, 4), clWhite, clBlack, clRed, static_cast<TlxGradientDirection>(3));
  EXPECT_EQ(CountColor(B.get(), clTeal), 260 * 4);
}

TEST(Gradient, CentralHasColour1InTheMiddleAndTheBackColourInTheCorners) {
  TObjectPtr<TBitmap> B(Target(110, 70));
  TRect R = Rect(5, 5, 105, 65);
  FillGradient(DCOf(B.get()), R, clWhite, clNavy, clRed, gdCentral);
  for (TPoint P : {Point(5, 5), Point(104, 5), Point(5, 64), Point(104, 64)}) EXPECT_EQ(Px(B.get(), P.x, P.y), clRed);
  EXPECT_EQ(Px(B.get(), 4, 35), kGround);  // nothing outside
  // Bands are one step apart: the centre is at most a step or two from Colour1, the ends of the
  // axes at most a step from Colour2.
  auto Near = [](TColor P, COLORREF C, int Tolerance) {
    for (int S : {0, 8, 16})
      if (std::abs(Channel(P, S) - Channel(C, S)) > Tolerance) return false;
    return true;
  };
  EXPECT_TRUE(Near(Px(B.get(), 55, 35), 0xFFFFFF, 20)) << std::hex << Px(B.get(), 55, 35);
  EXPECT_TRUE(Near(Px(B.get(), 7, 35), ColorToRGB(clNavy), 20)) << std::hex << Px(B.get(), 7, 35);
  // A rectangle three pixels wide still gets two bands: Colour1, Colour2 and the back colour only.
  TObjectPtr<TBitmap> Thin(Target(3, 40));
  FillGradient(DCOf(Thin.get()), Rect(0, 0, 3, 40), clWhite, clBlack, clRed, gdCentral);
  EXPECT_EQ(CountColor(Thin.get(), clWhite) + CountColor(Thin.get(), clBlack) + CountColor(Thin.get(), clRed), 3 * 40);
  EXPECT_GT(CountColor(Thin.get(), clWhite), 0);
}

// ---- Pictures -----------------------------------------------------------------------------------

// A 4 x 3 bitmap: red at its top-left pixel, green elsewhere.
TPicture* MarkedPicture() {
  TPicture* P = TlxPicture::Create();
  TBitmap* G = P->Bitmap();
  G->SetPixelFormat(pf32bit);
  G->SetSize(4, 3);
  G->Canvas()->Brush()->SetColor(clGreen);
  G->Canvas()->FillRect(Rect(0, 0, 4, 3));
  G->Canvas()->SetPixels(0, 0, clRed);
  return P;
}

using TPts = std::vector<std::pair<int, int>>;

TPts RedPixels(TBitmap* B) {
  TPts Out;
  for (int Y = 0; Y < B->Height(); ++Y)
    for (int X = 0; X < B->Width(); ++X)
      if (Px(B, X, Y) == clRed) Out.push_back({X, Y});
  return Out;
}

TPts Pts(std::initializer_list<std::pair<int, int>> L) { return TPts(L); }

TPts Positions(const TRect& R, int W, int H, TlxBackgroundPictureStyle Style) {
  TPts Out;
  for (const TPoint& P : PicturePositions(R, W, H, Style)) Out.push_back({P.x, P.y});
  return Out;
}

TEST(PicturePositions, TileZigzagCentreAndAlignmentWithinTheRectangle) {
  EXPECT_EQ(Positions(Rect(0, 0, 10, 7), 4, 3, bsTile),
            Pts({{0, 0}, {4, 0}, {8, 0}, {0, 3}, {4, 3}, {8, 3}, {0, 6}, {4, 6}, {8, 6}}));
  // Every second row starts half a graphic (rounded down) further left.
  EXPECT_EQ(Positions(Rect(0, 0, 10, 7), 5, 3, bsZigzag),
            Pts({{0, 0}, {5, 0}, {-2, 3}, {3, 3}, {8, 3}, {0, 6}, {5, 6}}));
  // A rectangle away from the origin is covered from its own corner to its own edges.
  EXPECT_EQ(Positions(Rect(10, 20, 18, 24), 4, 3, bsTile), Pts({{10, 20}, {14, 20}, {10, 23}, {14, 23}}));
  EXPECT_EQ(Positions(Rect(10, 20, 20, 29), 4, 3, bsCenter), Pts({{13, 23}}));
  EXPECT_EQ(Positions(Rect(10, 20, 20, 29), 4, 3, bsAlignLeft), Pts({{10, 20}}));
  EXPECT_EQ(Positions(Rect(10, 20, 20, 29), 4, 3, bsAlignRight), Pts({{16, 20}}));
  // A graphic larger than the rectangle: the offset is halved toward zero.
  EXPECT_EQ(Positions(Rect(0, 0, 4, 4), 9, 9, bsCenter), Pts({{-2, -2}}));
  EXPECT_TRUE(Positions(Rect(0, 0, 10, 10), 0, 3, bsTile).empty());  // never loops on nothing
  EXPECT_TRUE(Positions(Rect(0, 0, 10, 10), 4, 0, bsZigzag).empty());
  EXPECT_TRUE(Positions(Rect(0, 0, 10, 10), 4, 3, bsStretch).empty());
}

TEST(DrawPicture, TileAndZigzagPutTheGraphicWhereExpected) {
  TObjectPtr<TPicture> P(MarkedPicture());
  TObjectPtr<TBitmap> B(Target(16, 12));
  DrawPicture(B->Canvas(), Rect(0, 0, 10, 7), P.get(), clBlue, bsTile);
  EXPECT_EQ(RedPixels(B.get()), Pts({{0, 0}, {4, 0}, {8, 0}, {0, 3}, {4, 3}, {8, 3}, {0, 6}, {4, 6}, {8, 6}}));
  EXPECT_EQ(Px(B.get(), 11, 8), clGreen);  // the last column and row are drawn whole
  EXPECT_EQ(Px(B.get(), 12, 9), kGround);

  TObjectPtr<TBitmap> Z(Target(16, 12));
  DrawPicture(Z->Canvas(), Rect(0, 0, 10, 7), P.get(), clBlue, bsZigzag);
  EXPECT_EQ(RedPixels(Z.get()), Pts({{0, 0}, {4, 0}, {8, 0}, {2, 3}, {6, 3}, {0, 6}, {4, 6}, {8, 6}}));
  EXPECT_EQ(Px(Z.get(), 0, 3), clGreen);  // the shifted row's first graphic, cut off at the left
}

TEST(DrawPicture, CentreFillsOnlyAroundTheGraphic) {
  TObjectPtr<TPicture> P(MarkedPicture());
  P->Bitmap()->SetTransparentColor(clGreen);  // lets the area under the graphic show through
  P->Bitmap()->SetTransparent(true);
  TObjectPtr<TBitmap> B(Target(14, 12));
  TRect R = Rect(1, 1, 11, 10);
  DrawPicture(B->Canvas(), R, P.get(), clBlue, bsCenter);
  TRect G = Bounds(4, 4, 4, 3);
  ExpectPixels(B.get(), [&](int X, int Y) -> TColor {
    if (X == 4 && Y == 4) return clRed;
    if (Inside(X, Y, G) || !Inside(X, Y, R)) return kGround;
    return clBlue;
  });
}

TEST(DrawPicture, AlignedPicturesSitAtTheLeftOrRightOfAFilledRectangle) {
  TObjectPtr<TPicture> P(MarkedPicture());
  TRect R = Rect(2, 1, 12, 8);
  TObjectPtr<TBitmap> L(Target(14, 10));
  DrawPicture(L->Canvas(), R, P.get(), clBlue, bsAlignLeft);
  ExpectPixels(L.get(), [&](int X, int Y) -> TColor {
    if (!Inside(X, Y, R)) return kGround;
    return Inside(X, Y, Bounds(2, 1, 4, 3)) ? (X == 2 && Y == 1 ? clRed : clGreen) : clBlue;
  });
  TObjectPtr<TBitmap> Rt(Target(14, 10));
  DrawPicture(Rt->Canvas(), R, P.get(), clBlue, bsAlignRight);
  EXPECT_EQ(RedPixels(Rt.get()), Pts({{8, 1}}));
  EXPECT_EQ(Px(Rt.get(), 11, 3), clGreen);
  EXPECT_EQ(Px(Rt.get(), 7, 1), clBlue);
}

// A graphic whose drawing fails.
class TFailingGraphic : public TBitmap {
  VD_CLASS(TFailingGraphic, TBitmap);

public:
  TFailingGraphic() { SetSize(2, 2); }

protected:
  void Draw(TCanvas*, const TRect&) override { throw EInvalidGraphic("cannot draw"); }
};
VD_DEFINE_CLASS(TFailingGraphic) {}

TEST(DrawPicture, UnknownStylesEmptyPicturesAndFailuresDrawNothingAndNeverRaise) {
  TObjectPtr<TPicture> P(MarkedPicture());
  TObjectPtr<TBitmap> B(Target(8, 8));
  DrawPicture(B->Canvas(), Rect(0, 0, 8, 8), P.get(), clBlue, static_cast<TlxBackgroundPictureStyle>(6));
  EXPECT_EQ(CountColor(B.get(), kGround), 64);
  TObjectPtr<TPicture> Empty(TlxPicture::Create());
  DrawPicture(B->Canvas(), Rect(0, 0, 8, 8), Empty.get(), clBlue, bsTile);
  DrawPicture(B->Canvas(), Rect(0, 0, 8, 8), Empty.get(), clBlue, bsZigzag);
  EXPECT_EQ(CountColor(B.get(), kGround), 64);
  TObjectPtr<TFailingGraphic> Bad(TFailingGraphic::Create());
  P->SetGraphic(Bad.get());
  EXPECT_NO_THROW(DrawPicture(B->Canvas(), Rect(0, 0, 8, 8), P.get(), clBlue, bsTile));
  EXPECT_NO_THROW(DrawPicture(B->Canvas(), Rect(0, 0, 8, 8), P.get(), clBlue, bsCenter));
}

// ---- Glyphs -------------------------------------------------------------------------------------

// 4 x 4: key colour around a black L and one red pixel.
//   K K K K
//   K B R K
//   K B B K
//   K K K K
const char* const kGlyph[] = {"KKKK", "KBRK", "KBBK", "KKKK"};

TColor GlyphColor(char C) { return C == 'B' ? clBlack : C == 'R' ? clRed : kKey; }

TBitmap* GlyphBitmap() {
  TBitmap* G = NewBitmap(4, 4);
  for (int Y = 0; Y < 4; ++Y)
    for (int X = 0; X < 4; ++X) G->Canvas()->SetPixels(X, Y, GlyphColor(kGlyph[Y][X]));
  return G;
}

// Expected result of drawing the glyph at (Ox, Oy) in its own size: Map turns a glyph pixel into
// the colour drawn, or returns kGround for a pixel left alone.
std::function<TColor(int, int)> GlyphAt(int Ox, int Oy, const std::function<TColor(char)>& Map) {
  return [=](int X, int Y) {
    if (X < Ox || Y < Oy || X >= Ox + 4 || Y >= Oy + 4) return kGround;
    return Map(kGlyph[Y - Oy][X - Ox]);
  };
}

TEST(DrawGlyph, OpaqueBitmapsAreStretchedIntoTheArea) {
  TObjectPtr<TBitmap> G(GlyphBitmap());
  TObjectPtr<TBitmap> B(Target(12, 12));
  DrawGlyph(DCOf(B.get()), 2, 3, 8, 8, G.get(), nullptr, -1, false, false, true, clNone, clBlack, clWhite);
  ExpectPixels(B.get(), [](int X, int Y) {  // twice the size; ReplaceColor has no effect here
    if (X < 2 || Y < 3 || X >= 10 || Y >= 11) return kGround;
    return GlyphColor(kGlyph[(Y - 3) / 2][(X - 2) / 2]);
  });
}

TEST(DrawGlyph, TransparentBitmapsLeaveTheKeyColourOut) {
  TObjectPtr<TBitmap> G(GlyphBitmap());
  TObjectPtr<TBitmap> B(Target(10, 10));
  // The key is the top-left pixel.
  DrawGlyph(DCOf(B.get()), 3, 2, 4, 4, G.get(), nullptr, -1, true, false, false, clNone, clBlack, clWhite);
  ExpectPixels(B.get(), GlyphAt(3, 2, [](char C) { return C == 'K' ? kGround : GlyphColor(C); }));
  // A key colour given: red goes, the top-left colour stays.
  TObjectPtr<TBitmap> R(Target(10, 10));
  DrawGlyph(DCOf(R.get()), 3, 2, 4, 4, G.get(), nullptr, -1, true, false, false, clRed, clBlack, clWhite);
  ExpectPixels(R.get(), GlyphAt(3, 2, [](char C) { return C == 'R' ? kGround : GlyphColor(C); }));
}

TEST(DrawGlyph, ReplacedColoursAndAKeyThatIsAlsoTheNewColour) {
  TObjectPtr<TBitmap> G(GlyphBitmap());
  TObjectPtr<TBitmap> B(Target(10, 10));
  DrawGlyph(DCOf(B.get()), 1, 1, 4, 4, G.get(), nullptr, -1, true, false, true, clNone, clBlack, clWhite);
  ExpectPixels(B.get(), GlyphAt(1, 1, [](char C) { return C == 'K' ? kGround : C == 'B' ? clWhite : clRed; }));
  // Black becomes the key colour itself: those pixels must still show, the key pixels must not.
  TObjectPtr<TBitmap> K(Target(10, 10));
  DrawGlyph(DCOf(K.get()), 1, 1, 4, 4, G.get(), nullptr, -1, true, false, true, clNone, clBlack, kKey);
  ExpectPixels(K.get(), GlyphAt(1, 1, [](char C) { return C == 'K' ? kGround : C == 'B' ? kKey : clRed; }));
  // Without transparency every pixel is drawn, black ones recoloured.
  TObjectPtr<TBitmap> O(Target(10, 10));
  DrawGlyph(DCOf(O.get()), 1, 1, 4, 4, G.get(), nullptr, -1, false, true, true, clNone, clBlack, clWhite);
  EXPECT_NE(Px(O.get(), 2, 2), clWhite);  // disabled glyphs are never recoloured
}

// The embossed look: the glyph's own pixels (those not of the key colour) in the shadow colour,
// and one pixel down and right of them, where no glyph pixel covers it, the highlight colour.
std::function<TColor(int, int)> Embossed(int Ox, int Oy, const std::function<bool(char)>& IsGlyph) {
  auto Set = [=](int X, int Y) {
    X -= Ox;
    Y -= Oy;
    return X >= 0 && Y >= 0 && X < 4 && Y < 4 && IsGlyph(kGlyph[Y][X]);
  };
  return [=](int X, int Y) {
    if (Set(X, Y)) return static_cast<TColor>(ColorToRGB(clBtnShadow));
    if (Set(X - 1, Y - 1)) return static_cast<TColor>(ColorToRGB(clBtnHighlight));
    return kGround;
  };
}

TEST(DrawGlyph, DisabledBitmapsAreEmbossed) {
  TObjectPtr<TBitmap> G(GlyphBitmap());
  TObjectPtr<TBitmap> B(Target(10, 10));
  DrawGlyph(DCOf(B.get()), 2, 2, 4, 4, G.get(), nullptr, -1, false, true, false, clNone, clBlack, clWhite);
  ExpectPixels(B.get(), Embossed(2, 2, [](char C) { return C != 'K'; }));
}

TEST(DrawGlyph, ImageListImagesDrawnPlainTransparentOrEmbossed) {
  TObjectPtr<TBitmap> G(GlyphBitmap());
  TObjectPtr<TImageList> L(TImageList::Create(nullptr, 4, 4));
  L->AddMasked(G.get(), kKey);
  ASSERT_TRUE(L->HandleAllocated());
  TObjectPtr<TBitmap> T(Target(10, 10));
  DrawGlyph(DCOf(T.get()), 3, 3, 0, 0, nullptr, L.get(), 0, true, false, false, clNone, clBlack, clWhite);
  ExpectPixels(T.get(), GlyphAt(3, 3, [](char C) { return C == 'K' ? kGround : GlyphColor(C); }));
  TObjectPtr<TBitmap> D(Target(10, 10));
  DrawGlyph(DCOf(D.get()), 3, 3, 0, 0, nullptr, L.get(), 0, true, true, false, clNone, clBlack, clWhite);
  ExpectPixels(D.get(), Embossed(3, 3, [](char C) { return C != 'K'; }));
  // An empty bitmap gives way to the list; no list, a negative index or no DC draw nothing.
  TObjectPtr<TBitmap> Empty(TBitmap::Create());
  TObjectPtr<TBitmap> E(Target(10, 10));
  DrawGlyph(DCOf(E.get()), 3, 3, 4, 4, Empty.get(), L.get(), 0, true, false, false, clNone, clBlack, clWhite);
  EXPECT_EQ(Px(E.get(), 4, 4), clBlack);
  TObjectPtr<TBitmap> N(Target(10, 10));
  DrawGlyph(DCOf(N.get()), 3, 3, 4, 4, Empty.get(), L.get(), -1, true, false, false, clNone, clBlack, clWhite);
  DrawGlyph(DCOf(N.get()), 3, 3, 4, 4, nullptr, nullptr, 0, true, false, false, clNone, clBlack, clWhite);
  DrawGlyph(nullptr, 3, 3, 4, 4, G.get(), L.get(), 0, true, false, false, clNone, clBlack, clWhite);
  EXPECT_EQ(CountColor(N.get(), kGround), 100);
}

// ---- Frames, metrics ----------------------------------------------------------------------------

TEST(DrawButtonFrame, RaisedOrPushedFrameOverTheRectangleOnly) {
  TRect R = Rect(2, 2, 18, 12);
  TObjectPtr<TBitmap> Up(Target(20, 14));
  DrawButtonFrame(DCOf(Up.get()), R, false);
  TObjectPtr<TBitmap> Down(Target(20, 14));
  DrawButtonFrame(DCOf(Down.get()), R, true);
  auto Sys = [](int Index) { return static_cast<TColor>(GetSysColor(Index)); };
  for (TBitmap* B : {Up.get(), Down.get()}) {
    for (int X = 0; X < 20; ++X) {
      EXPECT_EQ(Px(B, X, 0), kGround);
      EXPECT_EQ(Px(B, X, 13), kGround);
    }
    EXPECT_EQ(Px(B, 1, 7), kGround);
    EXPECT_EQ(Px(B, 18, 7), kGround);
    EXPECT_EQ(Px(B, 10, 7), Sys(COLOR_BTNFACE));
  }
  // Raised with soft edges: highlight then light at the top-left, darkest shadow then shadow at the
  // bottom-right. Pushed: dark top-left.
  EXPECT_EQ(Px(Up.get(), 2, 2), Sys(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(Px(Up.get(), 3, 3), Sys(COLOR_3DLIGHT));
  EXPECT_EQ(Px(Up.get(), 17, 11), Sys(COLOR_3DDKSHADOW));
  EXPECT_EQ(Px(Up.get(), 16, 10), Sys(COLOR_BTNSHADOW));
  EXPECT_EQ(Px(Down.get(), 2, 2), Sys(COLOR_3DDKSHADOW));
}

TEST(TextMetrics, WidthsFromTheDeviceOrTheWindowAndTheLineHeight) {
  EXPECT_EQ(GetDCTextWidth(nullptr, "Hello"), 0);
  EXPECT_EQ(GetWndTextWidth(nullptr, "Hello"), 0);
  TObjectPtr<TBitmap> B(NewBitmap(4, 4));
  B->Canvas()->Font()->SetName("Tahoma");
  B->Canvas()->Font()->SetSize(12);
  HDC DC = B->Canvas()->Handle();
  B->Canvas()->TextWidth("x");  // selects the font
  SIZE S{};
  GetTextExtentPoint32A(DC, "Hello", 5, &S);
  EXPECT_GT(S.cx, 0);
  EXPECT_EQ(GetDCTextWidth(DC, "Hello"), S.cx);
  EXPECT_EQ(GetDCTextWidth(DC, ""), 0);
  EXPECT_EQ(GetTextHeight(B->Canvas()), B->Canvas()->TextHeight("Wj"));
  EXPECT_GE(GetTextHeight(B->Canvas()), B->Canvas()->TextHeight("a"));

  HWND Wnd = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(Wnd, nullptr);
  HDC WndDC = GetDC(Wnd);
  SIZE W{};
  GetTextExtentPoint32A(WndDC, "Hello", 5, &W);
  ReleaseDC(Wnd, WndDC);
  EXPECT_EQ(GetWndTextWidth(Wnd, "Hello"), W.cx);
  EXPECT_GT(W.cx, 0);
  DestroyWindow(Wnd);
}

TEST(ColorDepth, BitsPerPixelMapToTheModes) {
  EXPECT_EQ(ColorModeFromBits(4), sm4bit);
  EXPECT_EQ(ColorModeFromBits(16), sm16bit);
  EXPECT_EQ(ColorModeFromBits(24), sm24bit);
  EXPECT_EQ(ColorModeFromBits(32), sm32bit);
  for (int Other : {0, 1, 8, 15}) EXPECT_EQ(ColorModeFromBits(Other), sm8bit) << Other;
  HDC Screen = GetDC(nullptr);
  int Bits = GetDeviceCaps(Screen, BITSPIXEL);
  ReleaseDC(nullptr, Screen);
  EXPECT_EQ(GetColorDepth(), ColorModeFromBits(Bits));
}

}  // namespace
