// The demo form of the lx decorative components, as docs/lx.md shows it: a gradient background,
// a title label with shadow and highlight, a URL label in its hover look beside one in its plain
// look, a rich label with frame and shadow, and a proportional image of a JPEG picture made here.
// Shows the form, lets it paint, and saves what the screen shows of it as a BMP file:
//   lx_decor_demo.exe <out.bmp>
// (tools/bmp2png.py turns it into the PNG of the docs). Exit code 0 when the file was written.
#include <windows.h>

#include <cmath>
#include <string>

#include "classlib/Forms.h"
#include "lx/lxFormBackground.h"
#include "lx/lxLabels.h"
#include "lx/lxPropImage.h"
#include "lx/lxRichLabel.h"
#include "tests/controls/ControlsTestSupport.h"
#include "tests/support/WindowPicture.h"

namespace {

// A landscape picture: sky, sun and hills, as a JPEG image.
TJPEGImage* LandscapeJpeg() {
  TObjectPtr<TBitmap> B(TBitmap::Create());
  B->SetPixelFormat(pf24bit);
  B->SetSize(240, 150);
  TCanvas* C = B->Canvas();
  for (int Y = 0; Y < 150; ++Y) {
    C->Pen()->SetColor(static_cast<TColor>(RGB(90 + Y / 2, 150 + Y / 3, 235)));
    C->MoveTo(0, Y);
    C->LineTo(240, Y);
  }
  C->Pen()->SetStyle(psClear);
  C->Brush()->SetColor(static_cast<TColor>(RGB(255, 210, 60)));
  C->Ellipse(160, 18, 206, 64);
  C->Brush()->SetColor(static_cast<TColor>(RGB(70, 140, 60)));
  C->Ellipse(-60, 90, 150, 220);
  C->Brush()->SetColor(static_cast<TColor>(RGB(40, 110, 50)));
  C->Ellipse(90, 100, 320, 240);
  TJPEGImage* J = TJPEGImage::Create();
  J->SetCompressionQuality(85);
  J->Assign(B.get());
  J->Compress();
  return J;
}

TFont* Styled(TFont* F, const char* Name, int Height, TFontStyles Style, TColor Color) {
  F->SetName(Name);
  F->SetHeight(Height);
  F->SetStyle(Style);
  F->SetColor(Color);
  return F;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  TForm* Form = TForm::Create(nullptr, CreateNewForm);
  Form->SetBorderStyle(bsSingle);
  Form->SetBorderIcons(TBorderIcons{});
  Form->SetCaption("lx decorative components");
  Form->SetBounds(40, 40, 480, 330);

  auto* Background = TlxFormBackground::Create(Form);
  Background->SetKind(bkGradient);
  Background->SetGradientDirection(gdHorizontal);
  Background->SetGradientColor1(static_cast<TColor>(RGB(255, 250, 235)));
  Background->SetGradientColor2(static_cast<TColor>(RGB(150, 190, 230)));

  auto* Title = TlxLabel::Create(Form);
  Title->SetParent(Form);
  Title->SetTransparent(true);
  Styled(Title->Font(), "Arial", -34, TFontStyles{fsBold}, static_cast<TColor>(RGB(30, 60, 140)));
  Title->Shadow()->SetColors(static_cast<TColor>(RGB(120, 120, 140)));
  Title->Shadow()->SetDepth(2);
  Title->Highlight()->SetColors(clWhite);
  Title->SetCaption("Veldrane");
  Title->SetLeft(20);
  Title->SetTop(14);

  auto* Hovered = TlxURLLabel::Create(Form);
  Hovered->SetParent(Form);
  Hovered->SetTransparent(true);
  Styled(Hovered->Font(), "Arial", -15, TFontStyles{fsUnderline}, clBlue);
  Hovered->SetCaption("www.example.com (hover)");
  Hovered->SetLeft(22);
  Hovered->SetTop(66);
  auto* Plain = TlxURLLabel::Create(Form);
  Plain->SetParent(Form);
  Plain->SetTransparent(true);
  Styled(Plain->Font(), "Arial", -15, TFontStyles{fsUnderline}, clBlue);
  Plain->SetKind(ukEmail);
  Plain->SetCaption("support@example.com");
  Plain->SetLeft(22);
  Plain->SetTop(90);

  auto* Rich = TlxRichLabel::Create(Form);
  Rich->SetParent(Form);
  Rich->SetBounds(20, 124, 220, 10);
  Rich->SetColor(static_cast<TColor>(RGB(255, 255, 240)));
  Styled(Rich->Font(), "Arial", -13, TFontStyles{}, clBlack);
  Rich->SetMarginHorz(6);
  Rich->SetMarginVert(4);
  Rich->SetShowFrame(true);
  Rich->SetShowShadow(true);
  Rich->SetShadowColor(static_cast<TColor>(RGB(90, 90, 110)));
  Rich->SetCaption("A [B]rich label[DEF] with [RED]colours[DEF], [I]styles[DEF] and [U]tags[DEF], "
                   "wrapped to its width, with a frame and a drop shadow.");

  auto* Image = TlxProportionalImage::Create(Form);
  Image->SetParent(Form);
  Image->SetBounds(262, 70, 190, 190);
  Image->SetAlignment(iaTop);
  TObjectPtr<TJPEGImage> Jpeg(LandscapeJpeg());
  Image->Picture()->SetGraphic(Jpeg.get());

  Form->Show();
  testsupport::PumpFor(200);
  // The mouse over the first link shows its hover look.
  TPoint Over = Form->ClientToScreen(Point(Hovered->Left() + 10, Hovered->Top() + 5));
  SetCursorPos(Over.x, Over.y);
  PostMessageA(Form->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(Hovered->Left() + 10, Hovered->Top() + 5));
  testsupport::PumpFor(300);
  UpdateWindow(Form->Handle());

  int Result = SaveWindowPicture(Form->Handle(), argv[1]) ? 0 : 1;
  Form->Free();
  return Result;
}
