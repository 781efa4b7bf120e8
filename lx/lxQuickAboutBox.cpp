#include "lx/lxQuickAboutBox.h"

#include "classlib/TypInfo.h"
#include "classlib/UnitInit.h"
#include "lx/lxQuickAboutBoxForm.h"

namespace {
// Form resources create it by class name.
struct TQuickAboutBoxRegistration {
  TQuickAboutBoxRegistration() { RegisterClass(ClassOf<TlxQuickAboutBox>()); }
} const g_QuickAboutBoxRegistration;

constexpr const char* kDefaultCopyright = "\"Program Name\". . .\r\nCopyright (c) 2001-2004 Company Name";
}  // namespace

// ---- Settings -----------------------------------------------------------------------------------

void TlxQuickAboutBoxFormCursors::Assign(TPersistent* Source) {
  if (auto* S = dynamic_cast<TlxQuickAboutBoxFormCursors*>(Source)) {
    Caption = S->Caption;
    Client = S->Client;
    Border = S->Border;
    BtnClose = S->BtnClose;
    Buttons = S->Buttons;
    Links = S->Links;
    return;
  }
  inherited::Assign(Source);
}

TlxQuickAboutBoxGradientBackground::TlxQuickAboutBoxGradientBackground(TComponent* AOwner) : TlxAddon(AOwner) {
  SetEnabled(true);
}

void TlxQuickAboutBoxGradientBackground::Assign(TPersistent* Source) {
  if (auto* S = dynamic_cast<TlxQuickAboutBoxGradientBackground*>(Source)) {
    Color1 = S->Color1;
    Color2 = S->Color2;
    Direction = S->Direction;
  }
  inherited::Assign(Source);  // Enabled
}

void TlxQuickAboutBoxLocalization::Assign(TPersistent* Source) {
  if (auto* S = dynamic_cast<TlxQuickAboutBoxLocalization*>(Source)) {
    stAbout = S->stAbout;
    stOK = S->stOK;
    return;
  }
  inherited::Assign(Source);
}

// ---- TlxQuickAboutBox ---------------------------------------------------------------------------

TlxQuickAboutBox::TlxQuickAboutBox(TComponent* AOwner)
    : TlxComponent(AOwner),
      FCursors(TlxQuickAboutBoxFormCursors::Create()),
      FGradientBackground(TlxQuickAboutBoxGradientBackground::Create(this)),
      FLocalization(TlxQuickAboutBoxLocalization::Create()),
      FIcon(TPicture::Create()),
      FCopyright(kDefaultCopyright) {}

TlxQuickAboutBox::~TlxQuickAboutBox() {
  FIcon->Free();
  FLocalization->Free();
  FGradientBackground->Free();
  FCursors->Free();
}

void TlxQuickAboutBox::Execute() {
  EnsureUnitsStarted();  // the form resource names the library's cursors and colours
  TObjectPtr<TlxQuickAboutBoxForm> Owned(TlxQuickAboutBoxForm::Create(nullptr));
  TlxQuickAboutBoxForm* Form = Owned.get();
  Form->SetAboutBox(this);

  Form->SetShowHint(FShowHints);
  Form->SetWidth(FWidth);
  Form->TitleLabel->SetWidth(FWidth - Form->TitleLabel->Left());
  Form->Bevel1->SetWidth(FWidth - Form->Bevel1->Left() - 17);
  Form->Bevel2->SetWidth(FWidth - Form->Bevel2->Left() - 17);

  Form->SetCursor(FCursors->Client);
  Form->EmailLab->SetCursor(FCursors->Links);
  Form->WWWLab->SetCursor(FCursors->Links);
  Form->OKBtn->SetCursor(FCursors->Buttons);
  Form->lxAppCursors->SetCursor(aoCaption, FCursors->Caption);
  Form->lxAppCursors->SetCursor(aoBorderNonResize, FCursors->Border);
  Form->lxAppCursors->SetCursor(aoBtnClose, FCursors->BtnClose);

  TlxFormBackground* Background = Form->lxFormBackground;
  Background->SetActive(FGradientBackground->Enabled());
  Background->SetGradientDirection(FGradientBackground->Direction);
  Background->SetGradientColor1(FGradientBackground->Color1);
  Background->SetGradientColor2(FGradientBackground->Color2);

  Form->SetCaption(FLocalization->stAbout + " " + FCaption + ". . .");
  Form->OKBtn->SetCaption(FLocalization->stOK);
  Form->TitleLabel->SetCaption(FCaption);
  if (FIcon->Graphic() && !FIcon->Graphic()->Empty()) Form->Icon->Picture()->Assign(FIcon);
  Form->CopyrightLabel->SetCaption(FCopyright);

  // The lines run down from the copyright, each under the real height of the one above.
  int Y = Form->CopyrightLabel->Top() + Form->CopyrightLabel->Height();
  Form->Bevel1->SetTop(Y + 2);
  Y += 7;
  if (!FDescription.empty()) {
    TlxRichLabel* Label = Form->DescriptionLabel;
    if (FShowFrames) {
      Label->SetColor(FDescriptionColor);
      Label->SetShowFrame(true);
      Label->SetShowShadow(true);
      Label->SetMarginHorz(10);
      Label->SetMarginVert(4);
    }
    Label->SetTop(Y);
    Label->SetWidth(Form->Bevel1->Width());
    Label->SetCaption(FDescription);
    Y += Label->Height() + 2;
    Form->Bevel2->SetTop(Y);
    Y += 5;
  }
  Form->EmailLabel->SetTop(Y);
  Form->EmailLab->SetTop(Y);
  Form->EmailLab->SetCaption(FEmail);
  Form->EmailLab->SetHint(FEmail);
  if (FEmailIsWWW) {
    Form->EmailLab->SetKind(ukWWW);
    if (!FEmailText.empty()) Form->EmailLab->SetCaption(FEmailText);
    Form->EmailLab->SetURL(FEmail);
  }
  Y += Form->EmailLab->Height();
  Form->WWWLabel->SetTop(Y);
  Form->WWWLab->SetTop(Y);
  Form->WWWLab->SetCaption(FWebSite);
  Form->WWWLab->SetHint(FWebSite);
  Y += Form->WWWLab->Height();

  Form->Bevel1->SetVisible(FShowBevels);
  Form->Bevel2->SetVisible(FShowBevels && !FDescription.empty());
  // Centred on the outer width, as the dialog always placed it.
  Form->OKBtn->SetLeft(Form->Width() / 2 - Form->OKBtn->Width() / 2);
  Form->OKBtn->SetTop(Y + 6);
  Form->SetClientHeight(Form->OKBtn->Top() + Form->OKBtn->Height() + 6);

  Form->AnimEffect->SetDelay(FAnimationDelay);
  Form->AnimEffect->SetAnimateOnShow(FAnimationOnShow);
  Form->AnimEffect->SetAnimateOnHide(FAnimationOnHide);

  // A topmost calling form keeps the dialog above it, and is put back on top afterwards.
  auto* OwnerForm = dynamic_cast<TForm*>(Owner());
  bool TopMost = false;
  if (OwnerForm) {
    TopMost = (GetWindowLongPtrA(OwnerForm->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    Form->AnimEffect->SetTopMost(TopMost);
  }
  Form->ShowModal();
  if (TopMost)
    SetWindowPos(OwnerForm->Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
}

// ---- Published members --------------------------------------------------------------------------

VD_DEFINE_CLASS(TlxQuickAboutBoxFormCursors) {
  using T = TlxQuickAboutBoxFormCursors;
  C.Property("Caption", &T::Caption, &T::Caption).Type(CursorTypeInfo()).NoDefault();
  C.Property("Client", &T::Client, &T::Client).Type(CursorTypeInfo()).Default(crDefault);
  C.Property("Border", &T::Border, &T::Border).Type(CursorTypeInfo()).Default(crDefault);
  C.Property("BtnClose", &T::BtnClose, &T::BtnClose).Type(CursorTypeInfo()).Default(crDefault);
  C.Property("Buttons", &T::Buttons, &T::Buttons).Type(CursorTypeInfo()).Default(crDefault);
  C.Property("Links", &T::Links, &T::Links).Type(CursorTypeInfo()).Default(crLinkSelect);
}

VD_DEFINE_CLASS(TlxQuickAboutBoxGradientBackground) {
  using T = TlxQuickAboutBoxGradientBackground;
  C.Property("Enabled").Default(true);
  C.Property("Color1", &T::Color1, &T::Color1).Type(ColorTypeInfo()).Default(clBtnFace);
  C.Property("Color2", &T::Color2, &T::Color2).Type(ColorTypeInfo()).Default(cl3DLight);
  C.Property("Direction", &T::Direction, &T::Direction).Default(gdHorizontal);
}

VD_DEFINE_CLASS(TlxQuickAboutBoxLocalization) {
  C.Property("stAbout", &TlxQuickAboutBoxLocalization::stAbout, &TlxQuickAboutBoxLocalization::stAbout);
  C.Property("stOK", &TlxQuickAboutBoxLocalization::stOK, &TlxQuickAboutBoxLocalization::stOK);
}

VD_DEFINE_CLASS(TlxQuickAboutBox) {
  using T = TlxQuickAboutBox;
  C.Property("AnimationOnShow", &T::FAnimationOnShow, &T::SetAnimationOnShow).Default(true);
  C.Property("AnimationOnHide", &T::FAnimationOnHide, &T::SetAnimationOnHide).Default(true);
  C.Property("AnimationDelay", &T::FAnimationDelay, &T::SetAnimationDelay).Default(80);
  C.Property("Caption", &T::FCaption, &T::SetCaption);
  C.Property("Copyright", &T::FCopyright, &T::SetCopyright);
  C.Property("Cursors", &T::FCursors, &T::SetCursors);
  C.Property("GradientBackground", &T::FGradientBackground, &T::SetGradientBackground);
  C.Property("Description", &T::FDescription, &T::SetDescription);
  C.Property("DescriptionColor", &T::FDescriptionColor, &T::SetDescriptionColor)
      .Type(ColorTypeInfo())
      .Default(clHighlightText);
  C.Property("Icon", &T::FIcon, &T::SetIcon);
  C.Property("Localization", &T::FLocalization, &T::SetLocalization);
  C.Property("ShowBevels", &T::FShowBevels, &T::SetShowBevels).Default(true);
  C.Property("ShowFrames", &T::FShowFrames, &T::SetShowFrames).Default(false);
  C.Property("ShowHints", &T::FShowHints, &T::SetShowHints).Default(true);
  C.Property("Email", &T::FEmail, &T::SetEmail);
  C.Property("EmailText", &T::FEmailText, &T::SetEmailText);
  C.Property("EmailIsWWW", &T::FEmailIsWWW, &T::SetEmailIsWWW).Default(false);
  C.Property("WebSite", &T::FWebSite, &T::SetWebSite);
  C.Property("Width", &T::FWidth, &T::SetWidth).Default(260);
}
