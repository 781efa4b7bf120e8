#include "lx/lxQuickAboutBoxForm.h"

#include "classlib/SysUtils.h"
#include "classlib/TypInfo.h"

void TlxQuickAboutBoxForm::FormShow(TObject* Sender) {
  TlxEmailParams* Mail = EmailLab->Email();
  Mail->Subject = TitleLabel->Caption();
  Mail->Message = "P.S: I'm using " + lxSystemInfo->WinVersion() + " (" + lxSystemInfo->WinVersionNumber() +
                  "); CPU: " + IntToStr(lxSystemInfo->CPUFrequency()) + "MHz.";
}

VD_DEFINE_CLASS(TlxQuickAboutBoxForm) {
  C.Field("Icon", &TlxQuickAboutBoxForm::Icon);
  C.Field("WWWLabel", &TlxQuickAboutBoxForm::WWWLabel);
  C.Field("EmailLabel", &TlxQuickAboutBoxForm::EmailLabel);
  C.Field("Bevel1", &TlxQuickAboutBoxForm::Bevel1);
  C.Field("Bevel2", &TlxQuickAboutBoxForm::Bevel2);
  C.Field("TitleLabel", &TlxQuickAboutBoxForm::TitleLabel);
  C.Field("DescriptionLabel", &TlxQuickAboutBoxForm::DescriptionLabel);
  C.Field("CopyrightLabel", &TlxQuickAboutBoxForm::CopyrightLabel);
  C.Field("EmailLab", &TlxQuickAboutBoxForm::EmailLab);
  C.Field("WWWLab", &TlxQuickAboutBoxForm::WWWLab);
  C.Field("OKBtn", &TlxQuickAboutBoxForm::OKBtn);
  C.Field("AnimEffect", &TlxQuickAboutBoxForm::AnimEffect);
  C.Field("lxSystemInfo", &TlxQuickAboutBoxForm::lxSystemInfo);
  C.Field("lxAppCursors", &TlxQuickAboutBoxForm::lxAppCursors);
  C.Field("lxFormBackground", &TlxQuickAboutBoxForm::lxFormBackground);
  C.Method<&TlxQuickAboutBoxForm::FormShow>("FormShow");
}
