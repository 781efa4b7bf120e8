// The form background over real windows: the form printed with its background (WM_PRINT sends
// the WM_ERASEBKGND the component takes over), exact pixels of gradients and tiles, the form's own
// colour when inactive or without a picture, one check of the visible window, and the repaint
// triggers (size, switching off, a re-created window).
#include <gtest/gtest.h>

#include "lx/lxFormBackground.h"
#include "tests/lx/lxPaintTestSupport.h"

using namespace testsupport;
using namespace lxtest;

namespace {

constexpr int kW = 300, kH = 160;
const COLORREF kFormColor = RGB(0x20, 0x80, 0x40);

class FormBackgroundTest : public ::testing::Test {
protected:
  void SetUp() override {
    Form = NewPlainForm(700, 60, kW, kH, static_cast<TColor>(kFormColor));
    Form->HandleNeeded();
    Background = TlxFormBackground::Create(Form);
  }
  void TearDown() override { Form->Free(); }

  COLORREF At(int X, int Y) {
    TPixelDC Pixels(kW, kH);
    PrintClient(Form->Handle(), Pixels, PRF_ERASEBKGND | PRF_CLIENT);
    return Pixels.Pixel(X, Y);
  }
  // Whether the form has something to repaint (and forgets it).
  bool NeedsPaint() {
    RECT R{};
    bool Dirty = GetUpdateRect(Form->Handle(), &R, FALSE) != 0;
    ValidateRect(Form->Handle(), nullptr);
    return Dirty;
  }

  TForm* Form = nullptr;
  TlxFormBackground* Background = nullptr;
};

}  // namespace

TEST_F(FormBackgroundTest, GradientsEndInTheirColoursAndCentralOnesLeaveTheCornersToTheForm) {
  EXPECT_TRUE(Background->Active());
  EXPECT_EQ(Background->Kind(), bkPicture);
  Background->SetKind(bkGradient);
  Background->SetGradientColor1(clRed);
  Background->SetGradientColor2(clBlue);
  Background->SetGradientDirection(gdHorizontal);
  EXPECT_EQ(At(0, 80), RGB(255, 0, 0));
  EXPECT_EQ(At(kW - 1, 80), RGB(0, 0, 255));
  EXPECT_EQ(At(0, 0), At(0, kH - 1)) << "columns are uniform";

  Background->SetGradientDirection(gdVertical);
  EXPECT_EQ(At(150, 0), RGB(255, 0, 0));
  EXPECT_EQ(At(150, kH - 1), RGB(0, 0, 255));

  Background->SetGradientDirection(gdCentral);
  EXPECT_EQ(At(0, 0), kFormColor);
  EXPECT_EQ(At(kW - 1, kH - 1), kFormColor);
  COLORREF Centre = At(kW / 2, kH / 2);  // the innermost ellipses: Colour1 within a band's step
  EXPECT_GE(GetRValue(Centre), 245);
  EXPECT_LE(GetBValue(Centre), 10);
}

TEST_F(FormBackgroundTest, PicturesAreTiledAndWithoutOneOrSwitchedOffTheFormErasesItself) {
  EXPECT_EQ(At(10, 10), kFormColor) << "no picture";
  TBitmap* Tile = Background->Picture()->Bitmap();
  Tile->SetPixelFormat(pf24bit);
  Tile->SetSize(40, 30);
  Tile->Canvas()->Brush()->SetColor(clYellow);
  Tile->Canvas()->FillRect(Rect(0, 0, 40, 30));
  Tile->Canvas()->SetPixels(0, 0, clPurple);
  EXPECT_EQ(At(0, 0), RGB(0x80, 0, 0x80));
  EXPECT_EQ(At(40, 0), RGB(0x80, 0, 0x80));
  EXPECT_EQ(At(40, 30), RGB(0x80, 0, 0x80));
  EXPECT_EQ(At(41, 1), RGB(255, 255, 0));

  Background->SetActive(false);
  EXPECT_EQ(At(40, 0), kFormColor);
}

TEST_F(FormBackgroundTest, TheVisibleWindowShowsTheGradient) {
  Background->SetKind(bkGradient);
  Background->SetGradientColor1(clLime);
  Background->SetGradientDirection(gdHorizontal);
  Form->Show();
  UpdateWindow(Form->Handle());
  PumpFor(50);
  HDC DC = GetDC(Form->Handle());
  COLORREF Left = GetPixel(DC, 0, 50), Right = GetPixel(DC, kW - 1, 50);
  ReleaseDC(Form->Handle(), DC);
  EXPECT_EQ(Left, RGB(0, 255, 0));
  EXPECT_EQ(Right, RGB(0, 0, 0));
}

TEST_F(FormBackgroundTest, RestoringAndSwitchingOffRepaintButMinimisingDoesNot) {
  HWND Wnd = Form->Handle();
  MSG Msg;
  while (PeekMessageA(&Msg, Wnd, CM_COLORCHANGED, CM_COLORCHANGED, PM_REMOVE)) {
  }
  SendMessageA(Wnd, WM_SIZE, SIZE_MINIMIZED, 0);
  EXPECT_FALSE(PeekMessageA(&Msg, Wnd, CM_COLORCHANGED, CM_COLORCHANGED, PM_NOREMOVE));
  SendMessageA(Wnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(kW, kH));
  EXPECT_TRUE(PeekMessageA(&Msg, Wnd, CM_COLORCHANGED, CM_COLORCHANGED, PM_REMOVE));
  SendMessageA(Wnd, WM_SIZE, SIZE_MAXIMIZED, MAKELPARAM(kW, kH));
  EXPECT_TRUE(PeekMessageA(&Msg, Wnd, CM_COLORCHANGED, CM_COLORCHANGED, PM_REMOVE));

  Form->Show();
  PumpFor(50);
  NeedsPaint();
  Background->SetActive(false);
  EXPECT_TRUE(NeedsPaint()) << "switched off: painted once more";
  Background->SetGradientColor1(clRed);
  EXPECT_FALSE(NeedsPaint()) << "inactive: nothing to repaint";
  Background->SetActive(true);
  Background->SetKind(bkGradient);
  EXPECT_TRUE(NeedsPaint());
  SendMessageA(Wnd, WM_VSCROLL, SB_LINEDOWN, 0);
  EXPECT_TRUE(NeedsPaint());

  Form->RecreateWnd();
  PumpFor(100);
  EXPECT_TRUE(Background->Hooked());
  EXPECT_EQ(Background->Handle(), Form->Handle());
  TPixelDC Pixels(kW, kH);
  PrintClient(Form->Handle(), Pixels, PRF_ERASEBKGND | PRF_CLIENT);
  EXPECT_EQ(Pixels.Pixel(kW / 2, 0), RGB(255, 0, 0)) << "the new window is hooked";
}
