#include "wizard/Nx_ShellCommandEditUnit.h"

VD_DEFINE_CLASS(TSingleShellCommandEditor) {
  C.Field("Label1", &TSingleShellCommandEditor::Label1);
  C.Field("eCommandName", &TSingleShellCommandEditor::eCommandName);
  C.Field("Label2", &TSingleShellCommandEditor::Label2);
  C.Field("eVisibleName", &TSingleShellCommandEditor::eVisibleName);
  C.Field("Label3", &TSingleShellCommandEditor::Label3);
  C.Field("eCommandString", &TSingleShellCommandEditor::eCommandString);
  C.Field("btnOK", &TSingleShellCommandEditor::btnOK);
  C.Field("btnCancel", &TSingleShellCommandEditor::btnCancel);
  C.Method<&TSingleShellCommandEditor::eCommandNameChange>("eCommandNameChange");
}

bool IsUsableVerbName(const std::string& Name) { return !Name.empty() && Name.find('\\') == std::string::npos; }

void TSingleShellCommandEditor::SetCommand(const TShellCommand& Command) {
  eCommandName->SetText(Command.Name);
  eVisibleName->SetText(Command.VisibleName);
  eCommandString->SetText(Command.CommandString);
  eCommandNameChange(eCommandName);
}

TShellCommand TSingleShellCommandEditor::Command() {
  return {eCommandName->Text(), eVisibleName->Text(), eCommandString->Text()};
}

void TSingleShellCommandEditor::eCommandNameChange(TObject*) { btnOK->SetEnabled(IsUsableVerbName(eCommandName->Text())); }

bool EditShellCommand(TComponent* Owner, TShellCommand& Command) {
  TObjectPtr<TSingleShellCommandEditor> Dialog(TSingleShellCommandEditor::Create(Owner));
  Dialog->SetCommand(Command);
  if (Dialog->ShowModal() != mrOk) return false;
  Command = Dialog->Command();
  return true;
}
