// The dialog of the quick about box (lxQuickAboutBox): a form read from its form resource
// (lxQuickAboutBoxForm.txt, RCDATA TLXQUICKABOUTBOXFORM) that carries the lx decorations - a
// gradient background, the application cursors, a title with shadow and highlight, the icon (a
// packed "SFP" picture), rich labels for the copyright and the description, e-mail and web links,
// the show and hide animation and a system-information component, whose Windows version and
// processor clock go into the body of the mail the e-mail link starts.
//
// The about box makes one for each Execute, lays it out and frees it again.
#pragma once

#include "classlib/ExtCtrls.h"
#include "classlib/Forms.h"
#include "classlib/StdCtrls.h"
#include "lx/lxAnimationEffect.h"
#include "lx/lxAppCursors.h"
#include "lx/lxFormBackground.h"
#include "lx/lxLabels.h"
#include "lx/lxPropImage.h"
#include "lx/lxRichLabel.h"
#include "lx/lxSystemInfo.h"

class TlxQuickAboutBox;

class TlxQuickAboutBoxForm : public TForm {
  VD_CLASS(TlxQuickAboutBoxForm, TForm);

public:
  using TForm::TForm;

  // The components of the form resource, in its order.
  TlxProportionalImage* Icon = nullptr;
  TLabel* WWWLabel = nullptr;
  TLabel* EmailLabel = nullptr;
  TBevel* Bevel1 = nullptr;
  TBevel* Bevel2 = nullptr;
  TlxLabel* TitleLabel = nullptr;
  TlxRichLabel* DescriptionLabel = nullptr;
  TlxRichLabel* CopyrightLabel = nullptr;
  TlxURLLabel* EmailLab = nullptr;
  TlxURLLabel* WWWLab = nullptr;
  TButton* OKBtn = nullptr;
  TlxAnimationEffect* AnimEffect = nullptr;
  TlxSystemInfo* lxSystemInfo = nullptr;
  TlxAppCursors* lxAppCursors = nullptr;
  TlxFormBackground* lxFormBackground = nullptr;

  // The about box that shows the form (not owned; nil when none).
  TlxQuickAboutBox* AboutBox() const noexcept { return FAboutBox; }
  void SetAboutBox(TlxQuickAboutBox* Value) noexcept { FAboutBox = Value; }

  // OnShow: the subject of the e-mail line's message is the title, its body names the Windows
  // version and the processor clock ("P.S: I'm using Windows XP (5.1.2600); CPU: 2000MHz.").
  void FormShow(TObject* Sender);

private:
  TlxQuickAboutBox* FAboutBox = nullptr;
};
