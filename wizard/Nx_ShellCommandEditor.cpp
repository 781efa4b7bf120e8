#include "wizard/Nx_ShellCommandEditor.h"

#include <cmath>
#include <numeric>

#include "nx/NxFileClasses.h"

VD_DEFINE_CLASS(TShellCommandEditorWindow) {
  C.Field("lvShellCommands", &TShellCommandEditorWindow::lvShellCommands);
  C.Field("btnAdd", &TShellCommandEditorWindow::btnAdd);
  C.Field("btnEdit", &TShellCommandEditorWindow::btnEdit);
  C.Field("btnRemove", &TShellCommandEditorWindow::btnRemove);
  C.Field("btnOK", &TShellCommandEditorWindow::btnOK);
  C.Field("btnCancel", &TShellCommandEditorWindow::btnCancel);
  C.Field("PopupMenu", &TShellCommandEditorWindow::PopupMenu);
  C.Field("Add1", &TShellCommandEditorWindow::Add1);
  C.Field("Edit1", &TShellCommandEditorWindow::Edit1);
  C.Field("Remove1", &TShellCommandEditorWindow::Remove1);
  C.Method<&TShellCommandEditorWindow::aAddExecute>("aAddExecute");
  C.Method<&TShellCommandEditorWindow::aEditExecute>("aEditExecute");
  C.Method<&TShellCommandEditorWindow::aRemoveExecute>("aRemoveExecute");
  C.Method<&TShellCommandEditorWindow::FormResize>("FormResize");
}

VD_DEFINE_CLASS(TNxShellCommandsPropertyEditor) {}

std::vector<int> ScaleColumnWidths(const std::vector<int>& Widths, int ListWidth, int ScrollBarWidth) {
  const long long Sum = std::accumulate(Widths.begin(), Widths.end(), 0LL);
  if (Sum <= 0) return Widths;
  const double Factor =
      (static_cast<double>(ListWidth) - ScrollBarWidth - 3.0 * static_cast<double>(Widths.size())) /
      static_cast<double>(Sum);
  std::vector<int> Scaled;
  for (int Width : Widths) Scaled.push_back(static_cast<int>(std::lround(Width * Factor)));
  return Scaled;
}

// ---- The list dialog ----------------------------------------------------------------------------

namespace {
std::string EntryOf(const TStringList& List, int Index) { return Index < List.Count() ? List.Strings(Index) : ""; }
}  // namespace

void TShellCommandEditorWindow::SetRow(TListItem* Item, const TShellCommand& Command) {
  Item->SetCaption(Command.Name);
  Item->SubItems()->Clear();
  Item->SubItems()->Add(Command.VisibleName);
  Item->SubItems()->Add(Command.CommandString);
}

void TShellCommandEditorWindow::LoadCommands(const TNxCustomShellCommandsEditor& Commands) {
  const TStringList& Names = Commands.ExtendedCommandNames();
  for (int I = 0; I < Names.Count(); ++I)
    SetRow(lvShellCommands->Items()->Add(), {Names.Strings(I), EntryOf(Commands.ExtendedCommandDescriptions(), I),
                                             EntryOf(Commands.ExtendedCommandStrings(), I)});
}

std::vector<TShellCommand> TShellCommandEditorWindow::Rows() const {
  std::vector<TShellCommand> Result;
  TListItems* Items = lvShellCommands->Items();
  for (int I = 0; I < Items->Count(); ++I) {
    TListItem* Item = Items->Item(I);
    TStrings* Sub = Item->SubItems();
    Result.push_back({Item->Caption(), Sub->Count() > 0 ? Sub->Strings(0) : "", Sub->Count() > 1 ? Sub->Strings(1) : ""});
  }
  return Result;
}

void TShellCommandEditorWindow::SaveCommands(TNxCustomShellCommandsEditor& Commands) {
  TStringList& Names = Commands.ExtendedCommandNames();
  TStringList& Descriptions = Commands.ExtendedCommandDescriptions();
  TStringList& Strings = Commands.ExtendedCommandStrings();
  Names.Clear();
  Descriptions.Clear();
  Strings.Clear();
  for (const TShellCommand& Row : Rows()) {
    Names.Add(Row.Name);
    Descriptions.Add(Row.VisibleName);
    Strings.Add(Row.CommandString);
  }
}

void TShellCommandEditorWindow::aAddExecute(TObject*) {
  TShellCommand Command;
  if (EditShellCommand(this, Command)) SetRow(lvShellCommands->Items()->Add(), Command);
}

void TShellCommandEditorWindow::aEditExecute(TObject*) {
  TListItem* Selected = lvShellCommands->Selected();
  if (!Selected) return;
  const int Index = Selected->Index();
  TShellCommand Command = Rows()[static_cast<size_t>(Index)];
  // The row is found again afterwards: the dialog's messages may have changed the list.
  if (EditShellCommand(this, Command) && Index < lvShellCommands->Items()->Count())
    SetRow(lvShellCommands->Items()->Item(Index), Command);
}

void TShellCommandEditorWindow::aRemoveExecute(TObject*) {
  if (TListItem* Selected = lvShellCommands->Selected()) Selected->Delete();
}

void TShellCommandEditorWindow::FormResize(TObject*) {
  if (!lvShellCommands) return;  // still being read
  TListColumns* Columns = lvShellCommands->Columns();
  std::vector<int> Widths;
  for (int I = 0; I < Columns->Count(); ++I) Widths.push_back(Columns->Items(I)->Width());
  const std::vector<int> Scaled = ScaleColumnWidths(Widths, lvShellCommands->Width(), GetSystemMetrics(SM_CXVSCROLL));
  for (int I = 0; I < Columns->Count(); ++I) Columns->Items(I)->SetWidth(Scaled[static_cast<size_t>(I)]);
}

// ---- The property editor ------------------------------------------------------------------------

TPropertyAttributes TNxShellCommandsPropertyEditor::GetAttributes() { return paDialog; }

std::string TNxShellCommandsPropertyEditor::GetValue() {
  auto* Commands = dynamic_cast<TNxCustomShellCommandsEditor*>(GetComponent(0));
  if (!Commands) return {};
  std::string Value;
  const TStringList& Names = Commands->ExtendedCommandNames();
  for (int I = 0; I < Names.Count(); ++I) Value += (I ? ", " : "") + Names.Strings(I);
  return Value;
}

void TNxShellCommandsPropertyEditor::Edit() {
  auto* Commands = dynamic_cast<TNxCustomShellCommandsEditor*>(GetComponent(0));
  if (!Commands) return;
  TObjectPtr<TShellCommandEditorWindow> Dialog(TShellCommandEditorWindow::Create(Application));
  Dialog->LoadCommands(*Commands);
  if (Dialog->ShowModal() != mrOk) return;
  Dialog->SaveCommands(*Commands);
  Modified();
}

void Nx_ShellCommandEditor_DoRegister() {
  RegisterPropertyEditor(TypeInfoOf<std::string>(), ClassOf<TNxCustomShellCommandsEditor>(), "AnotherCommands",
                         TPropertyEditorClass::Of<TNxShellCommandsPropertyEditor>());
}
