#include "wizard/Nx_ShellViewFormPropEdit.h"

#include "classlib/TypInfo.h"
#include "standins/NxShellViewComponents.h"
#include "wizard/Nx_Tool_Project.h"

VD_DEFINE_CLASS(TNxShellViewFormPropEdit) {}

TPropertyAttributes TNxShellViewFormPropEdit::GetAttributes() { return inherited::GetAttributes() | paValueList; }

void TNxShellViewFormPropEdit::GetValues(const TGetStrProc& Proc) {
  TObjectPtr<TStringList> Classes(GetProjectFormClasses());
  for (int I = 0; I < Classes->Count(); ++I) Proc(Classes->Strings(I));
}

void Nx_ShellViewFormPropEdit_DoRegister() {
  RegisterPropertyEditor(TypeInfoOf<std::string>(), ClassOf<TNxFormShellView>(), "ShellViewFormClass",
                         TPropertyEditorClass::Of<TNxShellViewFormPropEdit>());
}
