// The decorative components in form resources: a form with each of them written as text and
// read back into a new form gives the same settings (sub-objects by dotted path, defaults left
// out, the JPEG picture as the picture's data).
#include <gtest/gtest.h>

#include "classlib/FormStream.h"
#include "lx/lxAppCursors.h"
#include "lx/lxFormBackground.h"
#include "lx/lxLabels.h"
#include "lx/lxPropImage.h"
#include "lx/lxRichLabel.h"
#include "tests/lx/lxPaintTestSupport.h"

using namespace lxtest;

namespace {

template <class T> T* Make(TForm* Form, const char* Name) {
  T* C = T::Create(Form);
  if (auto* Control = dynamic_cast<TControl*>(static_cast<TComponent*>(C))) Control->SetParent(Form);
  C->SetName(Name);
  return C;
}

TJPEGImage* SmallJpeg() {
  TObjectPtr<TBitmap> B(TBitmap::Create());
  B->SetPixelFormat(pf24bit);
  B->SetSize(24, 16);
  TJPEGImage* J = TJPEGImage::Create();
  J->Assign(B.get());
  J->Compress();
  return J;
}

}  // namespace

TEST(DecorStream, EveryComponentReadsBackWhatItWrote) {
  TObjectPtr<TForm> Form(NewPlainForm(0, 0, 200, 100));
  Form->SetName("DecorForm");
  auto* Link = Make<TlxURLLabel>(Form.get(), "Link");
  Link->SetURL("lxtest://x");
  Link->SetKind(ukEmail);
  Link->Email()->Subject = "Hi";
  Link->FontHover()->SetColor(clGreen);
  Link->Shadow()->SetDepth(4);
  Link->Blinking()->SetDelayVisible(900);
  Link->SetOptions(TlxLabelOptions{loEndEllipsis});
  auto* Rich = Make<TlxRichLabel>(Form.get(), "Rich");
  Rich->TextStyle()->SetPlainText(true);
  Rich->SetShowFrame(true);
  Rich->SetWordWrap(false);
  auto* Back = Make<TlxFormBackground>(Form.get(), "Back");
  Back->SetKind(bkGradient);
  Back->SetGradientColor1(clNavy);
  auto* Cursors = Make<TlxAppCursors>(Form.get(), "Cursors");
  Cursors->SetCursor(aoClient, crHandPoint);
  auto* Image = Make<TlxProportionalImage>(Form.get(), "Image");
  Image->SetAlignment(iaBottomRight);
  Image->JPEGProperties()->SetScale(jsQuarter);
  TObjectPtr<TJPEGImage> Jpeg(SmallJpeg());
  Image->Picture()->SetGraphic(Jpeg.get());

  std::string Text = WriteComponentToText(Form.get());
  for (const char* Line : {"Kind = ukEmail", "Email.Subject = 'Hi'", "FontHover.Color = clGreen", "Shadow.Depth = 4",
                           "Blinking.DelayVisible = 900", "Options = [loEndEllipsis]", "TextStyle.PlainText = True",
                           "WordWrap = False", "GradientColor1 = clNavy", "Client = crHandPoint",
                           "Alignment = iaBottomRight", "JPEGProperties.Scale = jsQuarter", "Picture.Data = {"})
    EXPECT_NE(Text.find(Line), std::string::npos) << Line << "\n" << Text;
  EXPECT_EQ(Text.find("BorderLeft"), std::string::npos) << "defaults are left out";
  EXPECT_EQ(Text.find("About"), std::string::npos);

  TObjectPtr<TForm> Copy(TForm::Create(nullptr, CreateNewForm));
  ReadComponentFromText(Text, Copy.get());
  auto* Link2 = dynamic_cast<TlxURLLabel*>(Copy->FindComponent("Link"));
  ASSERT_NE(Link2, nullptr);
  EXPECT_EQ(Link2->URL(), "lxtest://x");
  EXPECT_EQ(Link2->Email()->Subject, "Hi");
  EXPECT_EQ(Link2->Shadow()->Depth(), 4);
  EXPECT_FALSE(Link2->Shadow()->Enabled()) << "the URL label's own default";
  EXPECT_EQ(Link2->Blinking()->DelayVisible(), 900u);
  auto* Back2 = dynamic_cast<TlxFormBackground*>(Copy->FindComponent("Back"));
  ASSERT_NE(Back2, nullptr);
  EXPECT_EQ(Back2->GradientColor1(), clNavy);
  auto* Cursors2 = dynamic_cast<TlxAppCursors*>(Copy->FindComponent("Cursors"));
  ASSERT_NE(Cursors2, nullptr);
  EXPECT_EQ(Cursors2->Cursor(aoClient), crHandPoint);
  EXPECT_EQ(Cursors2->Cursor(aoBorderLeft), crSizeWE);
  auto* Image2 = dynamic_cast<TlxProportionalImage*>(Copy->FindComponent("Image"));
  ASSERT_NE(Image2, nullptr);
  auto* Jpeg2 = dynamic_cast<TJPEGImage*>(Image2->Picture()->Graphic());
  ASSERT_NE(Jpeg2, nullptr);
  EXPECT_EQ(Jpeg2->Scale(), jsQuarter) << "applied once loaded";
  EXPECT_EQ(Image2->Picture()->Width(), 6);
  EXPECT_EQ(WriteComponentToText(Copy.get()), Text);
}
