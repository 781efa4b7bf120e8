// The "Script Info" page: a group box captioned with the script's file name and five read-only
// fields (author, version, comments, display name, description) that the product's script compiler
// fills while the page is created. The form and its controls come from its form resource.
#pragma once

#include "classlib/StdCtrls.h"
#include "lx/lxFormHelp.h"
#include "nx/NxPropertySheetForm.h"

class TNxShellPropSheetForm1 : public TNxShellPropSheetForm {
  VD_CLASS(TNxShellPropSheetForm1, TNxShellPropSheetForm);

public:
  using TNxShellPropSheetForm::TNxShellPropSheetForm;

  TGroupBox* Bevel = nullptr;
  TEdit* edtAuthor = nullptr;
  TEdit* edtVersion = nullptr;
  TEdit* edtComments = nullptr;
  TEdit* edtDisName = nullptr;
  TEdit* edtDescr = nullptr;
  // What's This help on the fields: their hints are the help texts.
  TlxFormHelp* lxFormHelp1 = nullptr;

  // OnCreate: the first selected file of the owning extension, asked of the script compiler.
  void NxShellPropSheetFormCreate(TObject* Sender);
  // OnResize: the group box fills the page, the fields follow its width.
  void NxShellPropSheetFormResize(TObject* Sender);

protected:
  ~TNxShellPropSheetForm1() override = default;
};
