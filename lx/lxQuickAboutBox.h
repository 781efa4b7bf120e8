// The quick about box: a non-visual component that shows a ready-made modal "About" dialog for the
// program that places it - title, icon, copyright, an optional description, an e-mail and a web
// link and an OK button over a gradient background, with a show and hide animation:
//
//   object lxQuickAboutBox1: TlxQuickAboutBox
//     Caption = 'Veldrane'
//     Email = 'support@example.com'
//     Description = 'The [B]cleaning[DEF] tool.'      (tagged rich text; '' leaves it out)
//     Cursors.Links = crHandPoint
//     Localization.stAbout = 'About'
//   end
//
// Execute builds the dialog (lxQuickAboutBoxForm) from its form resource, lays it out from these
// settings - the lines run down from the copyright text, each placed under the real height of the
// one above - shows it modally and frees it, also when something on the way raises (which then
// reaches the caller). The dialog stays on top when the about box's owner is a topmost form.
#pragma once

#include <cstdint>
#include <string>

#include "classlib/Graphics.h"
#include "lx/lxBase.h"
#include "lx/lxGraphics.h"

// The cursors of the dialog's parts (0 = crDefault: the part's own).
class TlxQuickAboutBoxFormCursors : public TPersistent {
  VD_CLASS(TlxQuickAboutBoxFormCursors, TPersistent);

public:
  TlxQuickAboutBoxFormCursors() = default;
  void Assign(TPersistent* Source) override;

  TCursor Caption = crDefault;      // the title bar
  TCursor Client = crDefault;       // the form
  TCursor Border = crDefault;       // the frame
  TCursor BtnClose = crDefault;     // the title bar's close button
  TCursor Buttons = crDefault;      // the OK button
  TCursor Links = crLinkSelect;     // the e-mail and web lines (the hand)
};

// The dialog's background: a gradient from Color1 to Color2 while Enabled.
class TlxQuickAboutBoxGradientBackground : public TlxAddon {
  VD_CLASS(TlxQuickAboutBoxGradientBackground, TlxAddon);

public:
  // Enabled, clBtnFace to cl3DLight, horizontal.
  explicit TlxQuickAboutBoxGradientBackground(TComponent* AOwner);
  void Assign(TPersistent* Source) override;

  TColor Color1 = clBtnFace;
  TColor Color2 = cl3DLight;
  TlxGradientDirection Direction = gdHorizontal;
};

// The dialog's own texts.
class TlxQuickAboutBoxLocalization : public TPersistent {
  VD_CLASS(TlxQuickAboutBoxLocalization, TPersistent);

public:
  TlxQuickAboutBoxLocalization() = default;
  void Assign(TPersistent* Source) override;

  std::string stAbout = "About";  // the caption reads stAbout + " " + Caption + ". . ."
  std::string stOK = "OK";
};

class TlxQuickAboutBox : public TlxComponent {
  VD_CLASS(TlxQuickAboutBox, TlxComponent);

public:
  explicit TlxQuickAboutBox(TComponent* AOwner);

  // Builds the dialog, shows it modally and frees it.
  void Execute();

  bool AnimationOnShow() const noexcept { return FAnimationOnShow; }
  void SetAnimationOnShow(bool Value) noexcept { FAnimationOnShow = Value; }
  bool AnimationOnHide() const noexcept { return FAnimationOnHide; }
  void SetAnimationOnHide(bool Value) noexcept { FAnimationOnHide = Value; }
  uint16_t AnimationDelay() const noexcept { return FAnimationDelay; }
  void SetAnimationDelay(uint16_t Value) noexcept { FAnimationDelay = Value; }
  // The program's name: the title, and the caption's middle.
  const std::string& Caption() const noexcept { return FCaption; }
  void SetCaption(const std::string& Value) { FCaption = Value; }
  // Tagged rich text, like Description.
  const std::string& Copyright() const noexcept { return FCopyright; }
  void SetCopyright(const std::string& Value) { FCopyright = Value; }
  const std::string& Description() const noexcept { return FDescription; }
  void SetDescription(const std::string& Value) { FDescription = Value; }
  // The fill of the framed description.
  TColor DescriptionColor() const noexcept { return FDescriptionColor; }
  void SetDescriptionColor(TColor Value) noexcept { FDescriptionColor = Value; }
  bool ShowBevels() const noexcept { return FShowBevels; }
  void SetShowBevels(bool Value) noexcept { FShowBevels = Value; }
  // The description framed and shadowed.
  bool ShowFrames() const noexcept { return FShowFrames; }
  void SetShowFrames(bool Value) noexcept { FShowFrames = Value; }
  bool ShowHints() const noexcept { return FShowHints; }
  void SetShowHints(bool Value) noexcept { FShowHints = Value; }
  // The address of the e-mail line (with EmailIsWWW a web address, shown as EmailText when set).
  const std::string& Email() const noexcept { return FEmail; }
  void SetEmail(const std::string& Value) { FEmail = Value; }
  const std::string& EmailText() const noexcept { return FEmailText; }
  void SetEmailText(const std::string& Value) { FEmailText = Value; }
  bool EmailIsWWW() const noexcept { return FEmailIsWWW; }
  void SetEmailIsWWW(bool Value) noexcept { FEmailIsWWW = Value; }
  const std::string& WebSite() const noexcept { return FWebSite; }
  void SetWebSite(const std::string& Value) { FWebSite = Value; }
  // The dialog's outer width.
  int Width() const noexcept { return FWidth; }
  void SetWidth(int Value) noexcept { FWidth = Value; }

  TlxQuickAboutBoxFormCursors* Cursors() const noexcept { return FCursors; }
  void SetCursors(TlxQuickAboutBoxFormCursors* Value) { FCursors->Assign(Value); }
  TlxQuickAboutBoxGradientBackground* GradientBackground() const noexcept { return FGradientBackground; }
  void SetGradientBackground(TlxQuickAboutBoxGradientBackground* Value) { FGradientBackground->Assign(Value); }
  TlxQuickAboutBoxLocalization* Localization() const noexcept { return FLocalization; }
  void SetLocalization(TlxQuickAboutBoxLocalization* Value) { FLocalization->Assign(Value); }
  // The picture at the top left; empty keeps the dialog's own.
  TPicture* Icon() const noexcept { return FIcon; }
  void SetIcon(TPicture* Value) { FIcon->Assign(Value); }

protected:
  ~TlxQuickAboutBox() override;

private:
  TlxQuickAboutBoxFormCursors* FCursors;
  TlxQuickAboutBoxGradientBackground* FGradientBackground;
  TlxQuickAboutBoxLocalization* FLocalization;
  TPicture* FIcon;
  bool FAnimationOnShow = true;
  bool FAnimationOnHide = true;
  uint16_t FAnimationDelay = 80;
  std::string FCaption = "Program Name";
  std::string FCopyright;
  std::string FDescription;
  TColor FDescriptionColor = clHighlightText;
  bool FShowBevels = true;
  bool FShowFrames = false;
  bool FShowHints = true;
  std::string FEmail = "author@example.com";
  std::string FEmailText;
  bool FEmailIsWWW = false;
  std::string FWebSite = "www.example.com";
  int FWidth = 260;
};
