// Colours, fonts, the canvas and bitmaps: pixel checks in memory bitmaps (exact for fills, frames
// and copies; colour and position classes for text, whose glyphs differ between systems), the BMP
// file format both ways with broken inputs, and GDI objects let go on every path.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "classlib/Graphics.h"
#include "classlib/GraphicsInternal.h"
#include "classlib/TypInfo.h"
#include "tests/classlib/graphics_test_support.h"

using namespace gfxtest;

namespace {

// ---- Colours ------------------------------------------------------------------------------------

TEST(Colors, SystemColorsResolveThroughGetSysColorAndOthersStayAsTheyAre) {
  EXPECT_EQ(ColorToRGB(clBtnFace), GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(ColorToRGB(clWindowText), GetSysColor(COLOR_WINDOWTEXT));
  EXPECT_EQ(ColorToRGB(static_cast<TColor>(0x8000001A)), GetSysColor(26));  // the 0x80 form too
  EXPECT_EQ(ColorToRGB(0x00123456), 0x00123456u);
  EXPECT_EQ(clBtnFace, static_cast<TColor>(0xFF00000F));
  EXPECT_EQ(clWindowText, static_cast<TColor>(0xFF000008));
  EXPECT_EQ(cl3DLight, static_cast<TColor>(0xFF000016));
}

TEST(Colors, IdentifiersConvertBothWaysIgnoringCaseAndFirstNameWins) {
  int V = 0;
  ASSERT_TRUE(IdentToColor("CLBTNFACE", V));
  EXPECT_EQ(V, clBtnFace);
  ASSERT_TRUE(IdentToColor("clNone", V));
  EXPECT_EQ(V, clNone);
  EXPECT_FALSE(IdentToColor("clHotFlame", V));  // the lx library adds that one
  std::string Name;
  ASSERT_TRUE(ColorToIdent(clSilver, Name));
  EXPECT_EQ(Name, "clSilver");  // clLtGray has the same value
  ASSERT_TRUE(ColorToIdent(clDefault, Name));
  EXPECT_EQ(Name, "clDefault");
  EXPECT_FALSE(ColorToIdent(0x00123456, Name));

  EXPECT_EQ(ColorToString(clRed), "clRed");
  EXPECT_EQ(ColorToString(0x00123456), "$00123456");
  EXPECT_EQ(StringToColor("$00123456"), 0x00123456);
  EXPECT_EQ(StringToColor("clwindow"), clWindow);
  EXPECT_EQ(StringToColor("255"), clRed);
  EXPECT_THROW(StringToColor("reddish"), EConvertError);

  int Count = 0;
  GetColorValues([&](const std::string& N) { Count += IdentToColor(N, V) ? 1 : 0; });
  EXPECT_GT(Count, 40);
}

TEST(Colors, CharsetIdentifiersAndPropertyTypes) {
  int V = 0;
  ASSERT_TRUE(IdentToCharset("DEFAULT_CHARSET", V));
  EXPECT_EQ(V, DEFAULT_CHARSET);
  std::string Name;
  ASSERT_TRUE(CharsetToIdent(SYMBOL_CHARSET, Name));
  EXPECT_EQ(Name, "SYMBOL_CHARSET");

  TObjectPtr<TFont> F(TFont::Create());
  EXPECT_EQ(GetPropInfo(F.get(), "Color")->PropType, ColorTypeInfo());
  EXPECT_EQ(GetPropInfo(F.get(), "Charset")->PropType->Name, "TFontCharset");
  EXPECT_FALSE(IsStoredProp(F.get(), GetPropInfo(F.get(), "Size")));  // Height carries it
  EXPECT_EQ(GetSetProp(F.get(), "Style"), "");
  SetSetProp(F.get(), "Style", "fsBold,fsUnderline");
  EXPECT_EQ(F->Style(), (TFontStyles{fsBold, fsUnderline}));
  TObjectPtr<TBrush> B(TBrush::Create());
  EXPECT_TRUE(IsDefaultPropValue(B.get(), GetPropInfo(B.get(), "Color")));
}

// ---- Fonts, pens, brushes -----------------------------------------------------------------------

TEST(Font, DefaultsSizeAndHeightAndChangeNotification) {
  TObjectPtr<TFont> F(TFont::Create());
  int Ppi = graphics_detail::ScreenLogPixels();
  EXPECT_EQ(F->Name(), "MS Sans Serif");
  EXPECT_EQ(F->Height(), -MulDiv(8, Ppi, 72));
  EXPECT_EQ(F->Size(), 8);
  EXPECT_EQ(F->Color(), clWindowText);
  EXPECT_EQ(F->Charset(), DEFAULT_CHARSET);

  TChangeCounter Changes;
  F->OnChange = MakeEvent<&TChangeCounter::Hit>(&Changes);
  F->SetSize(12);
  EXPECT_EQ(F->Height(), -MulDiv(12, Ppi, 72));
  F->SetSize(12);
  F->SetName("Tahoma");
  F->SetName("Tahoma");
  F->SetStyle({fsItalic});
  EXPECT_EQ(Changes.Count, 3);
}

TEST(Font, HandleIsMadeOnDemandRemadeOnChangeAndAdoptedWithItsAttributes) {
  TObjectPtr<TFont> F(TFont::Create());
  EXPECT_FALSE(F->HandleAllocated());
  HFONT First = F->Handle();
  EXPECT_EQ(GetObjectType(First), static_cast<DWORD>(OBJ_FONT));
  EXPECT_EQ(F->Handle(), First);
  F->SetStyle({fsBold});
  EXPECT_EQ(GetObjectType(First), 0u);  // deleted, not leaked
  LOGFONTA LF{};
  GetObjectA(F->Handle(), sizeof LF, &LF);
  EXPECT_EQ(LF.lfWeight, FW_BOLD);

  LOGFONTA Mine{};
  Mine.lfHeight = -20;
  Mine.lfItalic = TRUE;
  Mine.lfCharSet = ANSI_CHARSET;
  lstrcpyA(Mine.lfFaceName, "Arial");
  TObjectPtr<TFont> G(TFont::Create());
  HFONT Given = CreateFontIndirectA(&Mine);
  G->SetHandle(Given);
  EXPECT_EQ(G->Handle(), Given);
  EXPECT_EQ(G->Name(), "Arial");
  EXPECT_EQ(G->Height(), -20);
  EXPECT_EQ(G->Style(), TFontStyles{fsItalic});
  EXPECT_EQ(G->Charset(), ANSI_CHARSET);
  G.reset();
  EXPECT_EQ(GetObjectType(Given), 0u);  // owned after adoption

  TObjectPtr<TFont> H(TFont::Create());
  H->SetColor(clRed);
  F->Assign(H.get());
  EXPECT_EQ(F->Color(), clRed);
  EXPECT_EQ(F->Style(), TFontStyles{});
  TObjectPtr<TPen> P(TPen::Create());
  EXPECT_THROW(F->Assign(P.get()), EConvertError);
}

TEST(Brush, ColourOfAClearBrushMakesItSolidAndClearUsesTheStockBrush) {
  TObjectPtr<TBrush> B(TBrush::Create());
  B->SetStyle(bsClear);
  EXPECT_EQ(B->Handle(), static_cast<HBRUSH>(GetStockObject(NULL_BRUSH)));
  B->SetColor(clRed);
  EXPECT_EQ(B->Style(), bsSolid);
  EXPECT_NE(B->Handle(), static_cast<HBRUSH>(GetStockObject(NULL_BRUSH)));
  EXPECT_NE(GetObjectType(GetStockObject(NULL_BRUSH)), 0u);  // the stock brush was never deleted
}

// ---- Canvas on memory bitmaps -------------------------------------------------------------------

TEST(Canvas, FillsFramesAndShapesAreExact) {
  TObjectPtr<TBitmap> B(NewBitmap(40, 30));
  TCanvas* C = B->Canvas();
  C->Brush()->SetColor(clRed);
  C->FillRect(Rect(2, 3, 12, 9));
  EXPECT_TRUE(AreaIs(B.get(), Rect(2, 3, 12, 9), clRed));
  EXPECT_EQ(Px(B.get(), 1, 3), clWhite);
  EXPECT_EQ(Px(B.get(), 12, 8), clWhite);
  EXPECT_EQ(CountColor(B.get(), clRed), 10 * 6);

  C->Brush()->SetColor(clBlue);
  C->FrameRect(Rect(20, 2, 30, 10));
  EXPECT_EQ(Px(B.get(), 20, 2), clBlue);
  EXPECT_EQ(Px(B.get(), 29, 9), clBlue);
  EXPECT_EQ(Px(B.get(), 25, 5), clWhite);
  EXPECT_EQ(CountColor(B.get(), clBlue), 2 * 10 + 2 * 6);

  C->Pen()->SetColor(clBlack);
  C->Brush()->SetColor(clLime);
  C->Rectangle(2, 15, 12, 25);
  EXPECT_EQ(Px(B.get(), 2, 15), clBlack);
  EXPECT_EQ(Px(B.get(), 11, 24), clBlack);
  EXPECT_TRUE(AreaIs(B.get(), Rect(3, 16, 11, 24), clLime));
  EXPECT_EQ(Px(B.get(), 12, 25), clWhite);

  C->Brush()->SetStyle(bsClear);
  C->Rectangle(20, 15, 30, 25);
  EXPECT_EQ(Px(B.get(), 25, 20), clWhite);  // a clear brush leaves the inside alone
  EXPECT_EQ(Px(B.get(), 20, 20), clBlack);

  C->Pen()->SetColor(clFuchsia);
  C->MoveTo(0, 28);
  C->LineTo(10, 28);
  EXPECT_EQ(C->PenPos().x, 10);
  EXPECT_EQ(CountColor(B.get(), clFuchsia), 10);  // the end point is not drawn

  C->SetPixels(39, 29, clAqua);
  EXPECT_EQ(C->Pixels(39, 29), clAqua);
  EXPECT_EQ(Px(B.get(), 39, 29), clAqua);
}

TEST(Canvas, PolygonAndEllipseFillTheirInsideOnly) {
  TObjectPtr<TBitmap> B(NewBitmap(40, 40));
  TCanvas* C = B->Canvas();
  C->Pen()->SetStyle(psClear);
  C->Brush()->SetColor(clNavy);
  C->Polygon({Point(0, 0), Point(20, 0), Point(0, 20)});
  EXPECT_EQ(Px(B.get(), 3, 3), clNavy);
  EXPECT_EQ(Px(B.get(), 18, 18), clWhite);
  C->Brush()->SetColor(clMaroon);
  C->Ellipse(20, 20, 40, 40);
  EXPECT_EQ(Px(B.get(), 30, 30), clMaroon);
  EXPECT_EQ(Px(B.get(), 20, 20), clWhite);
  EXPECT_EQ(Px(B.get(), 39, 39), clWhite);
}

TEST(Canvas, TextLandsInsideItsExtentInTheFontColour) {
  TObjectPtr<TBitmap> B(NewBitmap(120, 40));
  TCanvas* C = B->Canvas();
  C->Font()->SetColor(clRed);
  C->Brush()->SetStyle(bsClear);
  TSize Extent = C->TextExtent("Hello");
  EXPECT_GT(Extent.cx, 10);
  EXPECT_GT(Extent.cy, 5);
  EXPECT_GT(C->TextWidth("WWWW"), C->TextWidth("i"));
  C->TextOut(10, 5, "Hello");
  EXPECT_EQ(C->PenPos().x, 10 + Extent.cx);
  // Red ink inside the extent; nothing outside it, and no background with a clear brush.
  const TRect Cell = Bounds(10, 5, Extent.cx, Extent.cy);
  EXPECT_GT(CountIn(B.get(), Cell, IsRedInk), 5);
  EXPECT_EQ(CountOutside(B.get(), Cell, clWhite), 0);

  // A solid brush paints the text cell; TextRect clips to its rectangle.
  C->Brush()->SetColor(clYellow);
  C->TextOut(10, 22, "Hi");
  EXPECT_GT(CountColor(B.get(), clYellow), 0);
  TObjectPtr<TBitmap> D(NewBitmap(60, 20));
  D->Canvas()->Font()->SetColor(clBlue);
  D->Canvas()->Brush()->SetColor(clSilver);
  D->Canvas()->TextRect(Rect(5, 5, 15, 15), 5, 2, "Clipped text");
  EXPECT_TRUE(AreaIs(D.get(), Rect(15, 0, 60, 20), clWhite));
  EXPECT_TRUE(AreaIs(D.get(), Rect(0, 0, 60, 5), clWhite));
  EXPECT_GT(CountColor(D.get(), clSilver), 0);
}

TEST(Canvas, CopyRectDrawAndStretchDrawCopyPixelsExactly) {
  TObjectPtr<TBitmap> Src(NewBitmap(4, 4));
  Src->Canvas()->SetPixels(0, 0, clRed);
  Src->Canvas()->SetPixels(3, 3, clBlue);
  TObjectPtr<TBitmap> Dst(NewBitmap(20, 20));
  Dst->Canvas()->CopyRect(Rect(1, 1, 5, 5), Src->Canvas(), Rect(0, 0, 4, 4));
  EXPECT_EQ(Px(Dst.get(), 1, 1), clRed);
  EXPECT_EQ(Px(Dst.get(), 4, 4), clBlue);
  Dst->Canvas()->Draw(10, 0, Src.get());
  EXPECT_EQ(Px(Dst.get(), 10, 0), clRed);
  EXPECT_EQ(Px(Dst.get(), 13, 3), clBlue);
  Dst->Canvas()->StretchDraw(Rect(0, 10, 8, 18), Src.get());
  EXPECT_TRUE(AreaIs(Dst.get(), Rect(0, 10, 2, 12), clRed));
  EXPECT_TRUE(AreaIs(Dst.get(), Rect(6, 16, 8, 18), clBlue));

  // Transparent: the bottom-left pixel's colour (white here) is not drawn.
  TObjectPtr<TBitmap> Back(NewBitmap(4, 4));
  Back->Canvas()->Brush()->SetColor(clGreen);
  Back->Canvas()->FillRect(Rect(0, 0, 4, 4));
  Src->SetTransparent(true);
  EXPECT_EQ(Src->TransparentColor(), clWhite);
  Back->Canvas()->Draw(0, 0, Src.get());
  EXPECT_EQ(Px(Back.get(), 0, 0), clRed);
  EXPECT_EQ(Px(Back.get(), 1, 1), clGreen);
  Src->SetTransparentColor(clRed);
  EXPECT_EQ(Src->TransparentMode(), tmFixed);
  Src->SetTransparentColor(clDefault);
  EXPECT_EQ(Src->TransparentMode(), tmAuto);
}

TEST(Canvas, BorrowedDCGetsItsOwnObjectsBackAndOwnedDCIsDeleted) {
  HDC DC = CreateCompatibleDC(nullptr);
  HBITMAP Target = CreateCompatibleBitmap(DC, 8, 8);  // a mono 8x8 is enough
  HGDIOBJ OldBitmap = SelectObject(DC, Target);
  HGDIOBJ OrigFont = GetCurrentObject(DC, OBJ_FONT);
  HGDIOBJ OrigPen = GetCurrentObject(DC, OBJ_PEN);
  HGDIOBJ OrigBrush = GetCurrentObject(DC, OBJ_BRUSH);
  HFONT OurFont;
  {
    TObjectPtr<TCanvas> C(TCanvas::Create());
    EXPECT_THROW(C->Handle(), EInvalidOperation);  // a plain canvas makes no DC
    C->SetHandle(DC);
    C->TextOut(0, 0, "x");
    C->Rectangle(0, 0, 4, 4);
    OurFont = C->Font()->Handle();
    EXPECT_EQ(GetCurrentObject(DC, OBJ_FONT), OurFont);
    C->Font()->SetSize(20);  // re-made while selected: the DC gets the original back first
    EXPECT_EQ(GetObjectType(OurFont), 0u);
    C->TextOut(0, 0, "y");
    OurFont = C->Font()->Handle();
    EXPECT_EQ(GetCurrentObject(DC, OBJ_FONT), OurFont);
  }
  EXPECT_EQ(GetCurrentObject(DC, OBJ_FONT), OrigFont);
  EXPECT_EQ(GetCurrentObject(DC, OBJ_PEN), OrigPen);
  EXPECT_EQ(GetCurrentObject(DC, OBJ_BRUSH), OrigBrush);
  EXPECT_EQ(GetObjectType(OurFont), 0u);
  EXPECT_NE(GetObjectType(DC), 0u);  // borrowed: still there
  SelectObject(DC, OldBitmap);
  DeleteObject(Target);

  long Before = graphics_detail::LiveGdiObjects();
  HDC Owned = graphics_detail::Track(CreateCompatibleDC(nullptr));
  {
    TObjectPtr<TCanvas> C(TCanvas::Create());
    C->SetHandle(Owned, true);
    C->FillRect(Rect(0, 0, 1, 1));
  }
  EXPECT_EQ(GetObjectType(Owned), 0u);
  EXPECT_EQ(graphics_detail::LiveGdiObjects(), Before);
}

TEST(Canvas, DrawingOnABitmapCanvasReportsTheChangeOnTheBitmap) {
  TObjectPtr<TBitmap> B(NewBitmap(4, 4));
  TChangeCounter Changes;
  B->OnChange = MakeEvent<&TChangeCounter::Hit>(&Changes);
  B->Canvas()->FillRect(Rect(0, 0, 2, 2));
  EXPECT_EQ(Changes.Count, 1);
  EXPECT_TRUE(B->Modified());
}

// ---- Bitmap -------------------------------------------------------------------------------------

TEST(Bitmap, NewAndGrownAreasAreWhiteAndTheImageKeepsItsCorner) {
  TObjectPtr<TBitmap> B(TBitmap::Create());
  EXPECT_TRUE(B->Empty());
  B->SetWidth(5);
  EXPECT_TRUE(B->Empty());  // no height yet
  B->SetHeight(4);
  ASSERT_FALSE(B->Empty());
  EXPECT_TRUE(AreaIs(B.get(), Rect(0, 0, 5, 4), clWhite));
  B->Canvas()->SetPixels(0, 0, clRed);
  B->Canvas()->SetPixels(4, 3, clBlue);
  B->SetSize(8, 8);
  EXPECT_EQ(Px(B.get(), 0, 0), clRed);
  EXPECT_EQ(Px(B.get(), 4, 3), clBlue);
  EXPECT_TRUE(AreaIs(B.get(), Rect(5, 0, 8, 8), clWhite));
  B->SetSize(2, 2);
  EXPECT_EQ(Px(B.get(), 0, 0), clRed);
  B->SetSize(0, 2);
  EXPECT_TRUE(B->Empty());
}

TEST(Bitmap, PixelFormatsConvertAndScanLinesRunTopToBottom) {
  TObjectPtr<TBitmap> B(NewBitmap(6, 3));
  B->Canvas()->SetPixels(1, 0, clRed);
  B->Canvas()->SetPixels(2, 2, clBlue);
  EXPECT_EQ(B->PixelFormat(), pf32bit);
  for (TPixelFormat F : {pf24bit, pf16bit, pf8bit, pf32bit}) {
    B->SetPixelFormat(F);
    EXPECT_EQ(B->PixelFormat(), F);
    EXPECT_EQ(Px(B.get(), 1, 0), clRed) << F;
    EXPECT_EQ(Px(B.get(), 2, 2), clBlue) << F;
  }
  B->SetPixelFormat(pf1bit);
  EXPECT_TRUE(B->Monochrome());
  EXPECT_EQ(Px(B.get(), 0, 0), clWhite);

  TObjectPtr<TBitmap> S(NewBitmap(3, 2));
  static_cast<uint32_t*>(S->ScanLine(0))[2] = 0x000000FF;  // BGRA: blue, top row
  static_cast<uint32_t*>(S->ScanLine(1))[0] = 0x00FF0000;  // red, bottom row
  EXPECT_EQ(S->Canvas()->Pixels(2, 0), clBlue);
  EXPECT_EQ(S->Canvas()->Pixels(0, 1), clRed);
  EXPECT_THROW(S->ScanLine(2), EInvalidGraphicOperation);
  EXPECT_THROW(S->ScanLine(-1), EInvalidGraphicOperation);
}

TEST(Bitmap, HandlesCanBeAdoptedReleasedAndSelectedElsewhere) {
  TObjectPtr<TBitmap> B(NewBitmap(4, 4));
  B->Canvas()->FillRect(Rect(0, 0, 1, 1));  // the canvas holds the bitmap in its DC
  HBITMAP H = B->Handle();                  // which lets go of it here
  HDC Other = CreateCompatibleDC(nullptr);
  EXPECT_NE(SelectObject(Other, H), nullptr);
  DeleteDC(Other);

  // A locked canvas keeps its DC (and the bitmap in it) until it is unlocked.
  B->Canvas()->Lock();
  B->Canvas()->FillRect(Rect(0, 0, 1, 1));
  HDC Locked = B->Canvas()->Handle();
  EXPECT_EQ(B->Handle(), H);
  EXPECT_TRUE(B->Canvas()->HandleAllocated());
  EXPECT_EQ(GetCurrentObject(Locked, OBJ_BITMAP), H);
  B->Canvas()->Unlock();
  B->Handle();
  EXPECT_FALSE(B->Canvas()->HandleAllocated());
  EXPECT_EQ(GetObjectType(Locked), 0u);

  HBITMAP Released = B->ReleaseHandle();
  EXPECT_TRUE(B->Empty());
  EXPECT_EQ(B->Width(), 0);
  EXPECT_EQ(GetObjectType(Released), static_cast<DWORD>(OBJ_BITMAP));
  DeleteObject(Released);

  // A device-dependent bitmap: taken as it is, turned into a DIB when rows are asked for.
  HDC Screen = GetDC(nullptr);
  HBITMAP Ddb = CreateCompatibleBitmap(Screen, 7, 5);
  ReleaseDC(nullptr, Screen);
  B->SetHandle(Ddb);
  EXPECT_EQ(B->Width(), 7);
  EXPECT_EQ(B->Height(), 5);
  EXPECT_EQ(B->PixelFormat(), pfDevice);
  B->Canvas()->SetPixels(6, 4, clRed);
  ASSERT_NE(B->ScanLine(4), nullptr);
  EXPECT_EQ(GetObjectType(Ddb), 0u);  // replaced by the DIB
  EXPECT_EQ(Px(B.get(), 6, 4), clRed);
}

TEST(Bitmap, StreamRoundTripsEveryFormatWithExactHeaders) {
  for (TPixelFormat F : {pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit}) {
    TObjectPtr<TBitmap> B(NewBitmap(5, 3));
    B->Canvas()->SetPixels(0, 0, clBlack);
    B->Canvas()->SetPixels(4, 2, clBlack);
    B->SetPixelFormat(F);
    TMemoryStream S;
    B->SaveToStream(S);
    const auto* P = static_cast<const uint8_t*>(S.Memory());
    ASSERT_EQ(P[0], 'B');
    ASSERT_EQ(P[1], 'M');
    uint32_t FileSize, OffBits;
    uint16_t BitCount;
    std::memcpy(&FileSize, P + 2, 4);
    std::memcpy(&OffBits, P + 10, 4);
    std::memcpy(&BitCount, P + 28, 2);
    EXPECT_EQ(FileSize, S.Size()) << F;
    int Bits = F == pf1bit ? 1 : F == pf4bit ? 4 : F == pf8bit ? 8 : F == pf24bit ? 24 : F == pf32bit ? 32 : 16;
    EXPECT_EQ(BitCount, Bits);
    uint32_t Extra = Bits <= 8 ? 4u << Bits : F == pf16bit ? 12 : 0;
    EXPECT_EQ(OffBits, 54 + Extra) << F;
    EXPECT_EQ(FileSize - OffBits, 3 * (((5 * Bits + 31) / 32) * 4)) << F;

    TObjectPtr<TBitmap> C(TBitmap::Create());
    S.SetPosition(0);
    C->LoadFromStream(S);
    EXPECT_EQ(S.Position(), S.Size());
    EXPECT_EQ(C->PixelFormat(), F);
    EXPECT_EQ(Px(C.get(), 0, 0), clBlack) << F;
    EXPECT_EQ(Px(C.get(), 4, 2), clBlack) << F;
    EXPECT_EQ(Px(C.get(), 2, 1), clWhite) << F;
    TMemoryStream Again;
    C->SaveToStream(Again);
    EXPECT_TRUE(SameBytes(S, Again)) << F;
  }
}

TEST(Bitmap, TopDownFilesAndResourcesLoadWithTheirRowsInOrder) {
  std::vector<uint8_t> File = MakeBmp(2, -2, 32, {0x000000FF, 0x0000FF00, 0x00FF0000, 0x00000000});
  TObjectPtr<TBitmap> B(TBitmap::Create());
  LoadBytes(B.get(), File);
  EXPECT_EQ(Px(B.get(), 0, 0), clBlue);  // first row in the file is the top one
  EXPECT_EQ(Px(B.get(), 1, 0), clLime);
  EXPECT_EQ(Px(B.get(), 0, 1), clRed);

  HINSTANCE Self = GetModuleHandleA(nullptr);
  B->LoadFromResourceName(Self, "GFXTEST_BMP");
  EXPECT_EQ(B->Width(), 3);
  EXPECT_EQ(B->Height(), 2);
  EXPECT_EQ(B->PixelFormat(), pf24bit);
  EXPECT_EQ(Px(B.get(), 0, 0), clRed);
  EXPECT_EQ(Px(B.get(), 2, 0), clBlue);
  EXPECT_EQ(Px(B.get(), 2, 1), static_cast<TColor>(RGB(128, 64, 32)));
  B->LoadFromResourceID(Self, 101);
  EXPECT_EQ(Px(B.get(), 1, 0), clLime);
  EXPECT_THROW(B->LoadFromResourceName(Self, "NO_SUCH_BITMAP"), EResNotFound);
  EXPECT_EQ(B->Width(), 3);
}

TEST(Bitmap, BrokenFilesRaiseAndLeaveTheBitmapAlone) {
  TObjectPtr<TBitmap> B(NewBitmap(2, 2));
  B->Canvas()->SetPixels(0, 0, clRed);
  std::vector<uint8_t> Good = MakeBmp(2, 2, 24, {0, 0, 0, 0});
  auto Broken = [&](std::vector<uint8_t> Bytes) {
    TMemoryStream S;
    S.WriteBuffer(Bytes.data(), static_cast<int32_t>(Bytes.size()));
    S.SetPosition(0);
    try {
      B->LoadFromStream(S);
      return false;
    } catch (const EInvalidGraphic&) {
      return true;
    } catch (const EReadError&) {
      return true;
    }
  };
  auto Patch = [&](size_t At, std::vector<uint8_t> Bytes) {
    std::vector<uint8_t> F = Good;
    std::memcpy(F.data() + At, Bytes.data(), Bytes.size());
    return F;
  };
  EXPECT_TRUE(Broken(Patch(0, {'X', 'M'})));
  EXPECT_TRUE(Broken(Patch(28, {7, 0})));               // 7 bits per pixel
  EXPECT_TRUE(Broken(Patch(30, {1, 0, 0, 0})));         // RLE8
  EXPECT_TRUE(Broken(Patch(18, {0xFF, 0xFF, 0, 0})));   // 65535 pixels wide: beyond the data
  EXPECT_TRUE(Broken(Patch(22, {0, 0, 0, 0x80})));      // absurd height
  EXPECT_TRUE(Broken(Patch(10, {0xFF, 0xFF, 0, 0})));   // bits beyond the file
  EXPECT_TRUE(Broken(Patch(46, {0, 0, 1, 0})));         // 65536 palette entries
  EXPECT_TRUE(Broken(Patch(2, {0, 0, 0, 0x0F})));       // a 240 MB file in a few bytes
  for (size_t Cut = 1; Cut < Good.size(); Cut += 7)
    EXPECT_TRUE(Broken(std::vector<uint8_t>(Good.begin(), Good.begin() + Cut))) << Cut;
  EXPECT_EQ(B->Width(), 2);
  EXPECT_EQ(Px(B.get(), 0, 0), clRed);
}

TEST(Bitmap, RandomlyCorruptedFilesLoadOrRaiseButNeverCrash) {
  std::mt19937 Rng(20261209);
  for (TPixelFormat F : {pf1bit, pf8bit, pf16bit, pf32bit}) {
    TObjectPtr<TBitmap> Src(NewBitmap(7, 5));
    Src->SetPixelFormat(F);
    TMemoryStream Saved;
    Src->SaveToStream(Saved);
    const auto* P = static_cast<const uint8_t*>(Saved.Memory());
    std::vector<uint8_t> Good(P, P + Saved.Size());
    TObjectPtr<TBitmap> B(TBitmap::Create());
    for (int I = 0; I < 300; ++I) {
      std::vector<uint8_t> Bad = Good;
      size_t Span = I % 2 ? Bad.size() : std::min<size_t>(Bad.size(), 70);  // headers more often
      for (int K = 1 + I % 4; K > 0; --K) Bad[Rng() % Span] = static_cast<uint8_t>(Rng());
      if (I % 5 == 0) Bad.resize(Rng() % Bad.size());
      try {
        LoadBytes(B.get(), Bad);
      } catch (const EInvalidGraphic&) {
      } catch (const EReadError&) {
      }
    }
  }
}

TEST(Bitmap, EmptyBitmapsAndDataPropertyRoundTrip) {
  TObjectPtr<TBitmap> Empty(TBitmap::Create());
  TMemoryStream S;
  Empty->SaveToStream(S);
  TObjectPtr<TBitmap> B(NewBitmap(3, 3));
  S.SetPosition(0);
  B->LoadFromStream(S);
  EXPECT_TRUE(B->Empty());

  TObjectPtr<TBitmap> Full(NewBitmap(3, 2));
  Full->Canvas()->SetPixels(2, 1, clGreen);
  TMemoryStream D;
  Full->WriteData(D);
  uint32_t Size;
  std::memcpy(&Size, D.Memory(), 4);
  EXPECT_EQ(Size + 4, D.Size());
  D.SetPosition(0);
  B->ReadData(D);
  EXPECT_EQ(Px(B.get(), 2, 1), clGreen);
  TObjectPtr<TBitmap> Copy(TBitmap::Create());
  Copy->Assign(Full.get());
  EXPECT_TRUE(Copy->Equals(Full.get()));
  Copy->Canvas()->SetPixels(0, 0, clRed);
  EXPECT_FALSE(Copy->Equals(Full.get()));
  EXPECT_EQ(Px(Full.get(), 0, 0), clWhite);
}

// ---- GDI objects --------------------------------------------------------------------------------

TEST(GdiObjects, CreateDrawFreeCyclesLeaveNothingBehind) {
  long Before = graphics_detail::LiveGdiObjects();
  DWORD GdiBefore = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  for (int I = 0; I < 300; ++I) {
    TObjectPtr<TBitmap> B(NewBitmap(16, 16));
    TCanvas* C = B->Canvas();
    C->Font()->SetStyle({fsBold});
    C->Pen()->SetWidth(2);
    C->Brush()->SetStyle(bsDiagCross);
    C->TextOut(0, 0, "A");
    C->Rectangle(0, 0, 10, 10);
    C->Font()->SetSize(9);
    C->TextOut(0, 0, "B");
    TObjectPtr<TBitmap> Pattern(NewBitmap(8, 8));
    C->Brush()->SetBitmap(Pattern.get());
    C->FillRect(Rect(0, 0, 16, 16));
    C->Brush()->SetBitmap(nullptr);
    B->SetPixelFormat(pf8bit);
    TMemoryStream S;
    B->SaveToStream(S);
    S.SetPosition(0);
    B->LoadFromStream(S);
    B->SetTransparent(true);
    TObjectPtr<TBitmap> D(NewBitmap(16, 16));
    D->Canvas()->StretchDraw(Rect(0, 0, 8, 8), B.get());
  }
  EXPECT_EQ(graphics_detail::LiveGdiObjects(), Before);
  DWORD GdiAfter = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  if (GdiBefore != 0) {  // Windows counts; Wine answers 0
    EXPECT_LE(GdiAfter, GdiBefore + 5);
  }
}

}  // namespace
