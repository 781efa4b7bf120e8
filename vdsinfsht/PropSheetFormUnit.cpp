#include "vdsinfsht/PropSheetFormUnit.h"

#include <algorithm>

#include "classlib/SysUtils.h"
#include "classlib/UnitInit.h"
#include "nx/NxPropertySheetExt.h"
#include "vdsinfsht/ScriptInfo.h"

VD_DEFINE_CLASS(TNxShellPropSheetForm1) {
  C.Field("Bevel", &TNxShellPropSheetForm1::Bevel);
  C.Field("edtAuthor", &TNxShellPropSheetForm1::edtAuthor);
  C.Field("edtVersion", &TNxShellPropSheetForm1::edtVersion);
  C.Field("edtComments", &TNxShellPropSheetForm1::edtComments);
  C.Field("edtDisName", &TNxShellPropSheetForm1::edtDisName);
  C.Field("edtDescr", &TNxShellPropSheetForm1::edtDescr);
  C.Field("lxFormHelp1", &TNxShellPropSheetForm1::lxFormHelp1);
  C.Method<&TNxShellPropSheetForm1::NxShellPropSheetFormCreate>("NxShellPropSheetFormCreate");
  C.Method<&TNxShellPropSheetForm1::NxShellPropSheetFormResize>("NxShellPropSheetFormResize");
}

void TNxShellPropSheetForm1::NxShellPropSheetFormCreate(TObject*) {
  TNxShellPropSheetExt* extension = GetPropSheetExt();
  const std::string fileName = extension ? extension->GetFileName() : std::string();
  // A folder or a non-file item leaves the page blank under the caption "Bevel".
  if (!FileExists(fileName)) return;
  Bevel->SetCaption(ExtractFileName(fileName));

  TScriptInfo info;
  if (!GetScriptInfo(GetCompilerLibPath(), fileName, info)) return;
  edtAuthor->SetText(info.Author);
  edtVersion->SetText(info.Version);
  edtComments->SetText(info.Comments);
  edtDisName->SetText(info.DisplayName);
  edtDescr->SetText(info.Description);
}

void TNxShellPropSheetForm1::NxShellPropSheetFormResize(TObject*) {
  if (Bevel == nullptr) return;
  Bevel->SetBounds(5, Bevel->Top(), std::max(0, ClientWidth() - 10), std::max(0, ClientHeight() - 5 - Bevel->Top()));
  for (TEdit* edit : {edtAuthor, edtVersion, edtComments, edtDisName, edtDescr})
    if (edit) edit->SetBounds(edit->Left(), edit->Top(), std::max(0, Bevel->Width() - edit->Left() - 15), edit->Height());
}

namespace {
// Registered last of all units, once the framework and the lx library are up.
void PropSheetFormUnitInitialize() { RegisterPropSheetForm(TFormClass::Of<TNxShellPropSheetForm1>()); }
const TUnitRegistration kUnit(urProjectForms, {"PropSheetFormUnit", &PropSheetFormUnitInitialize, &ClearScriptInfo});
}  // namespace
