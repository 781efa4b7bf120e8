// The shell-view form property editor: "ShellViewFormClass" of a TNxFormShellView offers the form
// classes of the IDE's active project ("TForm1", "TForm2", ...) as a drop-down list; any other
// text may still be typed.
#pragma once

#include "ide/DesignEditors.h"

class TNxShellViewFormPropEdit : public TStringProperty {
  VD_CLASS(TNxShellViewFormPropEdit, TStringProperty);

public:
  TNxShellViewFormPropEdit() = default;
  // The base's attributes and paValueList.
  TPropertyAttributes GetAttributes() override;
  // The project's form classes in its order (none, after a message, without an active project).
  void GetValues(const TGetStrProc& Proc) override;
};

// Registers TNxShellViewFormPropEdit for "ShellViewFormClass" (string) of TNxFormShellView.
void Nx_ShellViewFormPropEdit_DoRegister();
