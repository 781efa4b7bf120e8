// The rich label: the height follows the laid-out text (DrawRichText of the same text is the
// oracle, since font metrics differ between machines), also at once while the form is hidden;
// alClient keeps the height; tags as colours or as plain text; the frame and the checkered shadow.
#include <gtest/gtest.h>

#include "lx/lxRichLabel.h"
#include "lx/lxRichTextUtils.h"
#include "tests/lx/lxPaintTestSupport.h"

using namespace testsupport;
using namespace lxtest;

namespace {

const char kThreeLines[] = "First line\nSecond [B]line[DEF]\nThird line";

class RichLabelTest : public ::testing::Test {
protected:
  void SetUp() override {
    Form = NewPlainForm(80, 300, 300, 200);
    Label = TlxRichLabel::Create(Form);
    Label->SetParent(Form);
    Label->SetBounds(10, 10, 200, 20);
    Label->SetColor(clWhite);
    Label->Font()->SetName("Arial");
    Label->Font()->SetHeight(-16);
    Form->HandleNeeded();
  }
  void TearDown() override { Form->Free(); }

  // The height DrawRichText gives the label's text.
  int OracleHeight(const std::string& Text) {
    TObjectPtr<TBitmap> Bitmap(TBitmap::Create());
    TPoint Position = Point(0, 0), Size = Point(0, 0);
    DrawRichText(Bitmap.get(), nullptr, Point(0, 0), Position, Text, Label->Font(), clWhite, clBlack, false, true,
                 true, Label->Width(), taLeftJustify, '[', ']', 0, 0, false, false, false, false, Size);
    return Bitmap->Height();
  }

  TForm* Form = nullptr;
  TlxRichLabel* Label = nullptr;
};

}  // namespace

TEST_F(RichLabelTest, CaptionSetWhileTheFormIsHiddenSetsTheHeightAtOnce) {
  EXPECT_TRUE(Label->AutoHeight());
  EXPECT_TRUE(Label->WordWrap());
  EXPECT_FALSE(Label->AutoSize());
  ASSERT_FALSE(IsWindowVisible(Form->Handle()));
  Label->SetCaption(kThreeLines);
  int Expected = OracleHeight(kThreeLines);
  EXPECT_EQ(Label->Height(), Expected);
  EXPECT_GT(Expected, OracleHeight("First line") * 2);
}

TEST_F(RichLabelTest, ShownFormPaintsToTheTextHeightUnlessAlignedToTheClientArea) {
  Form->Show();
  Label->SetCaption(kThreeLines);
  int Expected = OracleHeight(kThreeLines);
  EXPECT_TRUE(PumpUntil([&] { return Label->Height() == Expected; }, 10000));

  Label->SetAlign(alClient);
  PumpFor(50);
  int Client = Label->Height();
  Label->SetCaption("One line");
  PumpFor(100);
  EXPECT_EQ(Label->Height(), Client);
}

TEST_F(RichLabelTest, TagsColourTheTextUnlessPlainText) {
  Label->SetCaption("[RED]Colour[DEF] text");
  TPixelDC Pixels(300, 200);
  PrintClient(Form->Handle(), Pixels);
  EXPECT_GT(TintStats(Pixels, Label->BoundsRect(), TTint::Red).Count, 5);

  Label->TextStyle()->SetPlainText(true);
  TPixelDC Plain(300, 200);
  PrintClient(Form->Handle(), Plain);
  EXPECT_EQ(TintStats(Plain, Label->BoundsRect(), TTint::Red).Count, 0);
}

TEST_F(RichLabelTest, FrameAndCheckeredShadowSitWhereTheLayoutPutsThem) {
  Label->SetShowFrame(true);
  Label->SetShowShadow(true);
  Label->SetShadowColor(clBlue);
  Label->SetMarginHorz(4);
  Label->SetMarginVert(4);
  Label->SetCaption("Framed");
  TPixelDC Pixels(300, 200);
  PrintClient(Form->Handle(), Pixels);
  const int X0 = Label->Left(), Y0 = Label->Top(), W = Label->OffscreenBitmap()->Width(),
            H = Label->OffscreenBitmap()->Height();
  EXPECT_EQ(H, Label->Height());
  COLORREF Blue = RGB(0, 0, 255);
  EXPECT_EQ(Pixels.Pixel(X0, Y0), RGB(0, 0, 0)) << "the frame";
  EXPECT_EQ(Pixels.Pixel(X0 + 1, Y0 + 1), ColorToRGB(clBtnFace)) << "its inner line";
  const int Bottom = H - 7, Right = W - 7;
  // Below the box: odd columns at rows +1, +3, +5, even columns one lower.
  EXPECT_EQ(Pixels.Pixel(X0 + 7, Y0 + Bottom + 1), Blue);
  EXPECT_NE(Pixels.Pixel(X0 + 8, Y0 + Bottom + 1), Blue);
  EXPECT_EQ(Pixels.Pixel(X0 + 8, Y0 + Bottom + 2), Blue);
  EXPECT_EQ(Pixels.Pixel(X0 + 7, Y0 + Bottom + 2), RGB(255, 255, 255));
  // Right of the box: a band of the same kind.
  EXPECT_EQ(Pixels.Pixel(X0 + Right + 6, Y0 + Bottom), Blue);
  EXPECT_EQ(Pixels.Pixel(X0 + Right + 5, Y0 + Bottom - 1), Blue);
  EXPECT_EQ(TintStats(Pixels, Bounds(X0 + W - 6, Y0 + 8, 6, H - 16), TTint::Blue).Count, 3 * (H - 16));
}
