// The proportional image: the destination rectangle (the worked examples, every alignment,
// pictures larger than the control, empty sizes), real drawing of a two-colour bitmap and of an
// icon with transparent pixels, AutoSize, the JPEG options with and without a JPEG picture, a
// progressive JPEG shown pass by pass, the palette request of an 8-bit JPEG, a scale set from
// OnProgress (through the component or on the JPEG itself), and a JPEG that fails half-way
// leaving nothing behind.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "lx/lxPropImage.h"
#include "tests/classlib/graphics_test_support.h"
#include "tests/lx/lxPaintTestSupport.h"

using namespace testsupport;
using namespace lxtest;

namespace {

constexpr int kFormW = 200, kFormH = 160;

// Left half red, right half blue.
TBitmap* TwoColours(int W, int H) {
  TBitmap* B = TBitmap::Create();
  B->SetPixelFormat(pf24bit);
  B->SetSize(W, H);
  B->Canvas()->Brush()->SetColor(clRed);
  B->Canvas()->FillRect(Rect(0, 0, W / 2, H));
  B->Canvas()->Brush()->SetColor(clBlue);
  B->Canvas()->FillRect(Rect(W / 2, 0, W, H));
  return B;
}

TJPEGImage* QuadrantJpeg(bool Progressive) {
  TObjectPtr<TBitmap> Source(TwoColours(64, 48));
  TObjectPtr<TJPEGImage> Encoder(TJPEGImage::Create());
  Encoder->SetProgressiveEncoding(Progressive);
  Encoder->Assign(Source.get());
  TMemoryStream S;
  Encoder->SaveToStream(S);
  S.SetPosition(0);
  TJPEGImage* J = TJPEGImage::Create();
  J->LoadFromStream(S);
  return J;
}

class PropImageTest : public ::testing::Test {
protected:
  void SetUp() override {
    Form = NewPlainForm(420, 300, kFormW, kFormH);
    Image = TlxProportionalImage::Create(Form);
    Image->SetParent(Form);
    Image->SetBounds(20, 20, 100, 100);
    Form->HandleNeeded();
  }
  void TearDown() override { Form->Free(); }

  // The pixel at (X, Y) of the image as the form prints it.
  COLORREF At(int X, int Y) {
    TPixelDC Pixels(kFormW, kFormH);
    PrintClient(Form->Handle(), Pixels);
    return Pixels.Pixel(Image->Left() + X, Image->Top() + Y);
  }

  // The pixel at (X, Y) of the image as the screen shows it.
  COLORREF OnScreen(int X, int Y) {
    HDC DC = GetDC(Form->Handle());
    COLORREF C = GetPixel(DC, Image->Left() + X, Image->Top() + Y);
    ReleaseDC(Form->Handle(), DC);
    return C;
  }

  TForm* Form = nullptr;
  TlxProportionalImage* Image = nullptr;
};

// Runs Action at each psEnding, up to Limit times (so that a request that loops ends).
struct TAtEnding {
  std::function<void()> Action;
  int Limit = 1;
  int Endings = 0;
  void Hit(TObject*, TProgressStage Stage, uint8_t, bool, const TRect&, const std::string&) {
    if (Stage == psEnding && ++Endings <= Limit) Action();
  }
};

struct TProgressCount {
  int Redraws = 0;
  int Calls = 0;
  void Hit(TObject*, TProgressStage, uint8_t, bool RedrawNow, const TRect&, const std::string&) {
    ++Calls;
    Redraws += RedrawNow ? 1 : 0;
  }
};

const COLORREF kRed = RGB(255, 0, 0), kBlue = RGB(0, 0, 255), kWhite = RGB(255, 255, 255);

}  // namespace

TEST(ProportionalRect, WorkedExamplesAlignmentsAndPicturesLargerThanTheArea) {
  auto Is = [](TRect R, int L, int T, int W, int H) {
    return R.left == L && R.top == T && R.right - R.left == W && R.bottom - R.top == H;
  };
  EXPECT_TRUE(Is(ProportionalRect(32, 32, 105, 105, false, true, iaCenter), 36, 36, 32, 32));
  EXPECT_TRUE(Is(ProportionalRect(400, 200, 100, 100, false, true, iaCenter), 0, 25, 100, 50));
  EXPECT_TRUE(Is(ProportionalRect(200, 400, 100, 100, false, true, iaCenter), 25, 0, 50, 100));
  EXPECT_TRUE(Is(ProportionalRect(300, 300, 100, 60, false, true, iaCenter), 20, 0, 60, 60));
  EXPECT_TRUE(Is(ProportionalRect(40, 20, 100, 100, true, true, iaCenter), 0, 25, 100, 50)) << "Stretch enlarges";
  EXPECT_TRUE(Is(ProportionalRect(40, 20, 100, 90, true, false, iaCenter), 0, 0, 100, 90));

  const struct {
    TlxImageAlignment A;
    int X, Y;
  } Places[] = {{iaCenter, 30, 40},   {iaLeft, 0, 40},      {iaTop, 30, 0},
                {iaRight, 60, 40},    {iaBottom, 30, 80},   {iaTopLeft, 0, 0},
                {iaTopRight, 60, 0},  {iaBottomLeft, 0, 80}, {iaBottomRight, 60, 80}};
  for (const auto& P : Places)
    EXPECT_TRUE(Is(ProportionalRect(40, 20, 100, 100, false, true, P.A), P.X, P.Y, 40, 20)) << P.A;

  // Neither stretched nor proportional: a larger picture keeps its size, centred over the area
  // (half the negative free space, toward zero).
  EXPECT_TRUE(Is(ProportionalRect(105, 31, 100, 20, false, false, iaCenter), -2, -5, 105, 31));
  EXPECT_TRUE(Is(ProportionalRect(105, 31, 100, 20, false, false, iaBottomRight), -5, -11, 105, 31));
  // Empty pictures and areas never divide by zero.
  EXPECT_TRUE(Is(ProportionalRect(0, 0, 100, 100, true, true, iaCenter), 0, 0, 100, 100));
  EXPECT_TRUE(Is(ProportionalRect(0, 50, 100, 100, false, true, iaTopLeft), 0, 0, 0, 50));
  EXPECT_TRUE(Is(ProportionalRect(40, 20, 0, 0, false, true, iaCenter), 0, 0, 0, 0));
}

TEST_F(PropImageTest, ABitmapIsDrawnAtItsPlaceWithAndWithoutTheIntermediateBitmap) {
  TObjectPtr<TBitmap> Picture(TwoColours(40, 20));
  Image->Picture()->SetGraphic(Picture.get());
  for (bool Fixed : {true, false}) {
    SCOPED_TRACE(Fixed ? "fixed stretching" : "direct");
    Image->SetFixedStretching(Fixed);
    Image->SetStretch(false);
    Image->SetProportional(true);
    EXPECT_EQ(At(35, 50), kRed) << "natural size at (30, 40)";
    EXPECT_EQ(At(65, 50), kBlue);
    EXPECT_EQ(At(29, 50), kWhite);
    EXPECT_EQ(At(35, 39), kWhite);
    Image->SetStretch(true);
    EXPECT_EQ(At(5, 50), kRed) << "100 x 50 at (0, 25)";
    EXPECT_EQ(At(95, 50), kBlue);
    EXPECT_EQ(At(50, 20), kWhite);
    EXPECT_EQ(At(50, 80), kWhite);
    Image->SetProportional(false);
    EXPECT_EQ(At(5, 2), kRed) << "the whole area";
    EXPECT_EQ(At(95, 97), kBlue);
  }
}

TEST_F(PropImageTest, IconsKeepTheirTransparentPixelsAndAutoSizeTakesThePictureSize) {
  TObjectPtr<TIcon> Icon(TIcon::Create());
  Icon->SetHandle(gfxtest::MakeIcon(32, 8));
  Image->SetBounds(20, 20, 105, 105);
  Image->Picture()->SetGraphic(Icon.get());
  EXPECT_TRUE(Image->FixedStretching());
  EXPECT_EQ(At(36 + 16, 36 + 16), kRed);
  EXPECT_EQ(At(36 + 2, 36 + 2), kWhite) << "the form shows through";

  Image->SetAutoSize(true);
  EXPECT_EQ(Image->Width(), 32);
  EXPECT_EQ(Image->Height(), 32);
  EXPECT_EQ(At(16, 16), kRed);
}

TEST_F(PropImageTest, JpegPropertiesAreStoredWithoutAJpegAndGoToTheJpegWhenThereIsOne) {
  TlxJPEGProperties* P = Image->JPEGProperties();
  EXPECT_EQ(P->CompressionQuality(), 90);
  EXPECT_FALSE(P->Grayscale());
  EXPECT_EQ(P->Performance(), jpBestQuality);
  EXPECT_EQ(P->PixelFormat(), jf24Bit);
  EXPECT_FALSE(P->ProgressiveDisplay());
  EXPECT_FALSE(P->ProgressiveEncoding());
  EXPECT_EQ(P->Scale(), jsFullSize);
  EXPECT_TRUE(P->Smoothing());
  P->SetScale(jsHalf);
  P->SetCompressionQuality(40);
  EXPECT_EQ(P->Scale(), jsHalf);

  TObjectPtr<TJPEGImage> J(QuadrantJpeg(false));
  Image->Picture()->SetGraphic(J.get());
  auto* Held = dynamic_cast<TJPEGImage*>(Image->Picture()->Graphic());
  ASSERT_NE(Held, nullptr);
  EXPECT_EQ(Held->Scale(), jsHalf) << "applied when the picture changed";
  EXPECT_EQ(Held->CompressionQuality(), 40);
  EXPECT_EQ(Image->Picture()->Width(), 32);
  Held->SetProgressiveDisplay(true);
  EXPECT_TRUE(P->ProgressiveDisplay()) << "read from the JPEG";
  P->SetGrayscale(true);
  EXPECT_TRUE(Held->Grayscale());
  EXPECT_EQ(At(30, 50), kWhite) << "32 x 24 at (34, 38)";
  COLORREF Grey = At(40, 50);
  EXPECT_EQ(GetRValue(Grey), GetBValue(Grey));
  EXPECT_EQ(GetRValue(Grey), GetGValue(Grey));
  // A change of the picture applies the stored values again.
  Held->SetGrayscale(false);
  EXPECT_TRUE(Held->Grayscale());
}

TEST_F(PropImageTest, AJpegOptionTheImageRefusesIsStoredNowhere) {
  // While the rows are written the image refuses a new scale: both keep the old one, and the
  // picture's changes apply nothing the image did not take.
  struct TAtFirstPass {
    TlxJPEGProperties* P;
    int Refused = 0;
    void Hit(TObject*, TProgressStage Stage, uint8_t, bool, const TRect&, const std::string&) {
      if (Stage != psRunning || Refused) return;
      try {
        P->SetScale(jsHalf);
      } catch (const EJPEG&) {
        ++Refused;
      }
    }
  } Handler{Image->JPEGProperties()};
  Image->OnProgress = MakeEvent<&TAtFirstPass::Hit>(&Handler);
  Image->JPEGProperties()->SetProgressiveDisplay(true);
  TObjectPtr<TJPEGImage> J(QuadrantJpeg(true));
  Image->Picture()->SetGraphic(J.get());
  auto* Held = dynamic_cast<TJPEGImage*>(Image->Picture()->Graphic());
  ASSERT_NE(Held, nullptr);
  Held->DIBNeeded();
  EXPECT_EQ(Handler.Refused, 1);
  Image->SetAlignment(iaTopLeft);  // the picture's change: the stored values go to the image
  EXPECT_EQ(Held->Scale(), jsFullSize);
  Image->Picture()->SetGraphic(nullptr);
  EXPECT_EQ(Image->JPEGProperties()->Scale(), jsFullSize) << "the stored value";
}

TEST_F(PropImageTest, ProgressiveJpegIsShownPassByPassWhilePainting) {
  TProgressCount Count;
  Image->OnProgress = MakeEvent<&TProgressCount::Hit>(&Count);
  Image->SetIncrementalDisplay(true);
  Image->JPEGProperties()->SetProgressiveDisplay(true);
  TObjectPtr<TJPEGImage> J(QuadrantJpeg(true));
  Image->Picture()->SetGraphic(J.get());
  Form->Show();
  UpdateWindow(Form->Handle());
  PumpFor(50);
  EXPECT_GT(Count.Redraws, 1);
  EXPECT_FALSE(Image->Drawing());
  COLORREF Left = OnScreen(30, 50);
  EXPECT_GT(GetRValue(Left), 200);
  EXPECT_LT(GetBValue(Left), 60);
}

TEST_F(PropImageTest, AnEightBitJpegAsksTheActiveFormToRealiseItsPalette) {
  Form->Show();
  SetForegroundWindow(Form->Handle());
  SetActiveWindow(Form->Handle());
  PumpFor(50);
  ASSERT_EQ(GetActiveWindow(), Form->Handle());
  MSG Msg;
  while (PeekMessageA(&Msg, Form->Handle(), WM_QUERYNEWPALETTE, WM_QUERYNEWPALETTE, PM_REMOVE)) {
  }
  Image->JPEGProperties()->SetPixelFormat(jf8Bit);
  TObjectPtr<TJPEGImage> J(QuadrantJpeg(false));
  Image->Picture()->SetGraphic(J.get());
  EXPECT_FALSE(PeekMessageA(&Msg, Form->Handle(), WM_QUERYNEWPALETTE, WM_QUERYNEWPALETTE, PM_NOREMOVE))
      << "no palette before decoding";
  // Decoded outside painting: the request is posted.
  EXPECT_NE(Image->Palette(), nullptr);
  EXPECT_TRUE(PeekMessageA(&Msg, Form->Handle(), WM_QUERYNEWPALETTE, WM_QUERYNEWPALETTE, PM_REMOVE));
  EXPECT_FALSE(Image->Picture()->Graphic()->PaletteModified());
}

TEST_F(PropImageTest, AScaleSetThroughTheComponentFromOnProgressIsShownByItself) {
  TAtEnding Handler{[&] { Image->JPEGProperties()->SetScale(jsHalf); }};
  Image->OnProgress = MakeEvent<&TAtEnding::Hit>(&Handler);
  TObjectPtr<TJPEGImage> J(QuadrantJpeg(false));
  Image->Picture()->SetGraphic(J.get());
  Form->Show();
  UpdateWindow(Form->Handle());
  PumpFor(50);
  // The decoded colours are near the source's (JPEG is lossy).
  COLORREF Left = OnScreen(40, 50), Right = OnScreen(60, 50);
  EXPECT_TRUE(GetRValue(Left) > 200 && GetBValue(Left) < 60) << "32 x 24 at (34, 38)";
  EXPECT_TRUE(GetBValue(Right) > 200 && GetRValue(Right) < 60);
  EXPECT_EQ(OnScreen(30, 50), kWhite);
  EXPECT_EQ(OnScreen(40, 34), kWhite);

  // A handler that changes the scale at every decoding: each paint decodes at most twice, and the
  // paints end.
  TlxJPEGProperties* P = Image->JPEGProperties();
  TAtEnding Toggle{[&] { P->SetScale(P->Scale() == jsHalf ? jsFullSize : jsHalf); }, 1000};
  Image->OnProgress = MakeEvent<&TAtEnding::Hit>(&Toggle);
  P->SetSmoothing(false);  // decoded again at the next paint
  PumpFor(100);
  EXPECT_LE(Toggle.Endings, 4);
  EXPECT_FALSE(GetUpdateRect(Form->Handle(), nullptr, FALSE));
}

TEST_F(PropImageTest, AScaleSetOnTheJpegFromOnProgressIsOverriddenWithoutALoop) {
  TObjectPtr<TJPEGImage> J(QuadrantJpeg(false));
  Image->Picture()->SetGraphic(J.get());
  auto* Held = dynamic_cast<TJPEGImage*>(Image->Picture()->Graphic());
  ASSERT_NE(Held, nullptr);
  TAtEnding Handler{[&] { Held->SetScale(jsHalf); }, 20};
  Image->OnProgress = MakeEvent<&TAtEnding::Hit>(&Handler);
  EXPECT_EQ(Held->Bitmap()->Width(), 64);
  EXPECT_EQ(Handler.Endings, 1);
  EXPECT_EQ(Held->Scale(), jsFullSize) << "the component's value";
}

TEST_F(PropImageTest, AJpegFailingHalfWayLeavesNoBitmapAndEmptySizesDrawNothing) {
  TObjectPtr<TJPEGImage> Good(QuadrantJpeg(false));
  TMemoryStream S;
  Good->SaveToStream(S);
  std::vector<uint8_t> Bytes(static_cast<const uint8_t*>(S.Memory()), static_cast<const uint8_t*>(S.Memory()) + S.Size());
  size_t Scan = 0;
  while (Scan + 1 < Bytes.size() && !(Bytes[Scan] == 0xFF && Bytes[Scan + 1] == 0xDA)) ++Scan;
  Bytes.resize(Scan + (Bytes.size() - Scan) / 2);
  TMemoryStream Cut;
  Cut.WriteBuffer(Bytes.data(), static_cast<int32_t>(Bytes.size()));
  Cut.SetPosition(0);
  TObjectPtr<TJPEGImage> Broken(TJPEGImage::Create());
  Broken->LoadFromStream(Cut);
  TPixelDC Pixels(kFormW, kFormH);
  PrintClient(Form->Handle(), Pixels);  // the form makes its brush once
  Image->Picture()->SetGraphic(Broken.get());

  TExceptionCollector Reports;
  long Before = graphics_detail::LiveGdiObjects();
  PrintClient(Form->Handle(), Pixels);
  EXPECT_EQ(graphics_detail::LiveGdiObjects(), Before);
  ASSERT_EQ(Reports.Reports.size(), 1u);
  EXPECT_EQ(Reports.Reports[0].ClassName, "EJPEG");
  EXPECT_FALSE(Image->Drawing());

  Image->Picture()->SetGraphic(nullptr);
  Image->SetBounds(20, 20, 0, 0);
  PrintClient(Form->Handle(), Pixels);
  Image->SetBounds(20, 20, 50, 50);
  TObjectPtr<TBitmap> Empty(TBitmap::Create());
  Image->Picture()->SetGraphic(Empty.get());
  Image->SetStretch(true);
  PrintClient(Form->Handle(), Pixels);
  EXPECT_TRUE(Reports.Reports.size() == 1u);
}
