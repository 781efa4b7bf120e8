// Caption buttons drawn into memory bitmaps laid out like their window (classic and XP looks,
// character and picture faces, disabled), and once into the real title bar.
#include <gtest/gtest.h>

#include "classlib/Forms.h"
#include "lx/lxCaptionButton.h"
#include "tests/controls/ControlsTestSupport.h"

using namespace testsupport;

namespace {

class CaptionButtonPixels : public ::testing::Test {
protected:
  void SetUp() override {
    Form = TForm::Create(nullptr, CreateNewForm);
    Form->SetBounds(600, 420, 360, 160);
    Form->Show();
    Button = TlxCustomCaptionButton::Create(Form);
    Button->GlyphFont()->SetName("Tahoma");
    Button->GlyphFont()->SetColor(clRed);
    Button->SetGlyphChar('W');
    RECT R;
    GetWindowRect(Form->Handle(), &R);
    Width = R.right - R.left;
    Height = R.bottom - R.top;
    FaceW = GetSystemMetrics(SM_CXSIZE) - 2;
    FaceH = GetSystemMetrics(SM_CYSIZE) - 4;
  }
  void TearDown() override { FreeAndNil(Form); }

  // Paints the button into a fresh bitmap of the window's size filled with Ground.
  std::unique_ptr<TPixelDC> Paint(bool Pressed, COLORREF Ground = RGB(0x33, 0x66, 0x99)) {
    auto P = std::make_unique<TPixelDC>(Width, Height);
    RECT All{0, 0, Width, Height};
    HBRUSH B = CreateSolidBrush(Ground);
    FillRect(P->DC(), &All, B);
    DeleteObject(B);
    Button->PaintTo(P->DC(), Pressed);
    return P;
  }
  // The face's rectangle in window coordinates.
  RECT Face() {
    const TlxCaptionButtonRect& R = Button->ButtonRect();
    return RECT{R.Left + R.Top, R.Top, R.Left + R.Top + FaceW, R.Top + FaceH};
  }
  static COLORREF Sys(int Index) {
    COLORREF C = GetSysColor(Index);
    return RGB(GetRValue(C), GetGValue(C), GetBValue(C));
  }
  // Pixels of the character drawn in Ink on the classic face.
  static int CharacterInk(const TPixelDC& P, RECT R, COLORREF Ink) { return P.CountInk(R, Ink, Sys(COLOR_BTNFACE)); }

  TForm* Form = nullptr;
  TlxCustomCaptionButton* Button = nullptr;
  int Width = 0, Height = 0, FaceW = 0, FaceH = 0;
};

TEST_F(CaptionButtonPixels, ClassicFaceIsAPushButtonWithTheCharacter) {
  Button->SetStyle(cbsWin9x);
  auto Up = Paint(false);
  RECT F = Face();
  ASSERT_GT(F.left, 0);
  ASSERT_LE(F.right, Width);
  // Exactly the frame Windows draws for a push button, at the face's place.
  TPixelDC Expected(FaceW, FaceH);
  RECT Box{0, 0, FaceW, FaceH};
  DrawFrameControl(Expected.DC(), &Box, DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_ADJUSTRECT);
  for (int X = 0; X < FaceW; ++X) {
    EXPECT_EQ(Up->Pixel(F.left + X, F.top), Expected.Pixel(X, 0)) << X;
    EXPECT_EQ(Up->Pixel(F.left + X, F.bottom - 1), Expected.Pixel(X, FaceH - 1)) << X;
  }
  // Nothing outside the face.
  EXPECT_EQ(Up->Pixel(F.left - 1, F.top), RGB(0x33, 0x66, 0x99));
  EXPECT_EQ(Up->Pixel(F.right, F.bottom - 1), RGB(0x33, 0x66, 0x99));
  EXPECT_EQ(Up->Pixel(F.left, F.top - 1), RGB(0x33, 0x66, 0x99));
  EXPECT_GT(CharacterInk(*Up, F, RGB(255, 0, 0)), 3);  // the character in the font's colour

  auto Down = Paint(true);
  EXPECT_TRUE(Button->DrawnDown());
  EXPECT_NE(Down->Pixel(F.left, F.top), Up->Pixel(F.left, F.top));
  EXPECT_GT(CharacterInk(*Down, F, RGB(255, 0, 0)), 3);
}

TEST_F(CaptionButtonPixels, DisabledCharacterIsEmbossed) {
  Button->SetStyle(cbsWin9x);
  Button->SetEnabled(false);
  auto P = Paint(false);
  RECT F = Face();
  RECT Inner{F.left + 2, F.top + 2, F.right - 2, F.bottom - 2};
  EXPECT_EQ(CharacterInk(*P, F, RGB(255, 0, 0)), 0);
  EXPECT_GT(CharacterInk(*P, Inner, Sys(COLOR_BTNSHADOW)), 3);
}

TEST_F(CaptionButtonPixels, XPFaceKeepsTheCaptionAroundItsRoundedCorners) {
  Button->SetStyle(cbsWinXP);
  const COLORREF Ground = RGB(0x33, 0x66, 0x99);
  auto P = Paint(false, Ground);
  RECT F = Face();
  EXPECT_EQ(P->Pixel(F.left, F.top), Ground);  // the face's key colour lets the caption through
  EXPECT_EQ(P->Pixel(F.right - 1, F.bottom - 1), Ground);
  EXPECT_EQ(P->Count(F, RGB(255, 0, 255)), 0);
  EXPECT_GT(P->Count(F, RGB(255, 255, 255)), 3);  // border and white character
  // The blue face is there, and another colour gives another face.
  int Blue = 0;
  for (int Y = F.top; Y < F.bottom; ++Y)
    for (int X = F.left; X < F.right; ++X) {
      COLORREF C = P->Pixel(X, Y);
      if (GetBValue(C) > 150 && GetRValue(C) < 140) ++Blue;
    }
  EXPECT_GT(Blue, FaceW * FaceH / 4);
  Button->SetXPStyleColor(xpcRed);
  auto Red = Paint(false, Ground);
  int Reds = 0;
  for (int Y = F.top; Y < F.bottom; ++Y)
    for (int X = F.left; X < F.right; ++X) {
      COLORREF C = Red->Pixel(X, Y);
      if (GetRValue(C) > 150 && GetBValue(C) < 140) ++Reds;
    }
  EXPECT_GT(Reds, FaceW * FaceH / 4);
}

TEST_F(CaptionButtonPixels, PictureFacesAreRecolouredAndPressedPicturesUsed) {
  auto MakeGlyph = [](COLORREF Ink) {
    TBitmap* G = TBitmap::Create();
    G->SetSize(8, 8);
    G->Canvas()->Brush()->SetColor(clWhite);  // top-left: the transparent colour
    G->Canvas()->FillRect(Rect(0, 0, 8, 8));
    G->Canvas()->Brush()->SetColor(static_cast<TColor>(Ink));
    G->Canvas()->FillRect(Rect(2, 2, 6, 6));
    return G;
  };
  TObjectPtr<TBitmap> Black(MakeGlyph(RGB(0, 0, 0)));
  TObjectPtr<TBitmap> Green(MakeGlyph(RGB(0, 200, 0)));
  Button->SetStyle(cbsWin9x);
  Button->SetGlyph(Black.get());
  auto P = Paint(false);
  RECT F = Face();
  EXPECT_GT(P->Count(F, Sys(COLOR_BTNTEXT)), 3);  // black drawn in the button text colour
  EXPECT_EQ(CharacterInk(*P, F, RGB(255, 0, 0)), 0);  // no character over a picture
  Button->SetGlyphDown(Green.get());
  auto Pressed = Paint(true);
  EXPECT_GT(Pressed->Count(F, RGB(0, 200, 0)), 3);
  auto Released = Paint(false);
  EXPECT_EQ(Released->Count(F, RGB(0, 200, 0)), 0);
  Button->SetStyle(cbsWinXP);
  auto XP = Paint(false);
  EXPECT_EQ(XP->Count(F, RGB(0, 0, 0)), 0);  // black turns white on the XP face
}

TEST_F(CaptionButtonPixels, NothingIsDrawnWithoutACaptionOrWhenInvisible) {
  Button->SetVisible(false);
  auto Hidden = Paint(false);
  EXPECT_EQ(Hidden->Count({0, 0, Width, Height}, RGB(0x33, 0x66, 0x99)), Width * Height);
  Button->SetVisible(true);
  Form->SetBorderStyle(bsNone);
  auto Bare = Paint(false);
  EXPECT_EQ(Bare->Count({0, 0, Width, Height}, RGB(0x33, 0x66, 0x99)), Width * Height);
  // And the window's hit tests never reach it.
  RECT R;
  GetWindowRect(Form->Handle(), &R);
  EXPECT_EQ(SendMessageA(Form->Handle(), WM_NCHITTEST, 0, MAKELPARAM(R.right - 30, R.top + 2)), HTCLIENT);
}

TEST_F(CaptionButtonPixels, TheTitleBarShowsWhatThePaintDraws) {
  Button->SetStyle(cbsWin9x);
  RedrawWindow(Form->Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
  PumpFor(50);
  Button->Paint(false);
  auto Expected = Paint(false);
  RECT F = Face();
  HDC DC = GetWindowDC(Form->Handle());
  int Same = 0;
  for (int Y = F.top; Y < F.bottom; ++Y)
    for (int X = F.left; X < F.right; ++X) Same += GetPixel(DC, X, Y) == Expected->Pixel(X, Y);
  ReleaseDC(Form->Handle(), DC);
  EXPECT_EQ(Same, FaceW * FaceH);
}

}  // namespace
