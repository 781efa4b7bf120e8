#include "wizard/Nx_NamespaceColumnsPropEditor.h"

#include "classlib/TypInfo.h"

VD_DEFINE_CLASS(TNxNamespaceColumnsList) {}
VD_DEFINE_CLASS(TNxNamespaceCommonColumnsList) {}

TPropertyAttributes TNxNamespaceColumnsList::GetAttributes() { return inherited::GetAttributes() | paValueList; }

TNxNamespaceDetails* TNxNamespaceColumnsList::GetNamespaceDetails() {
  TPersistent* First = GetComponent(0);
  auto* Details = dynamic_cast<TNxNamespaceDetails*>(First);
  if (First && !Details) throw EInvalidCast("Invalid class typecast");
  return Details;
}

TShellColumns* TNxNamespaceColumnsList::Columns() {
  TNxNamespaceDetails* Details = GetNamespaceDetails();
  return Details ? Details->GetColumns() : nullptr;
}

std::string TNxNamespaceColumnsList::GetValue() {
  const int Value = GetOrdValue();
  TShellColumns* Cols = Columns();
  return Cols && Value >= 0 && Value < Cols->Count() ? Cols->GetItem(Value)->Name() : "";
}

void TNxNamespaceColumnsList::GetValues(const TGetStrProc& Proc) {
  TShellColumns* Cols = Columns();
  for (int I = 0; Cols && I < Cols->Count(); ++I) Proc(IntToStr(I) + " - " + Cols->GetItem(I)->Name());
}

void TNxNamespaceColumnsList::SetValue(const std::string& Value) {
  const std::string Text = Trim(Value);
  if (Text.empty()) {
    inherited::SetValue("-1");
    return;
  }
  // A list entry "12 - Name" stands for its number; typed text must be a number itself.
  const size_t Dash = Text.find(" - ");
  inherited::SetValue(Dash == std::string::npos ? Text : Trim(Text.substr(0, Dash)));
}

TNxNamespaceDetails* TNxNamespaceCommonColumnsList::GetNamespaceDetails() {
  auto* Common = dynamic_cast<TNxNamespaceCommonColumns*>(GetComponent(0));
  return Common ? Common->NamespaceDetails() : nullptr;
}

void Nx_NamespaceColumnsPropEditor_DoRegister() {
  for (const char* Property : {"DefSortingColumn", "DefDisplayColumn"})
    RegisterPropertyEditor(TypeInfoOf<int>(), ClassOf<TNxNamespaceDetails>(), Property,
                           TPropertyEditorClass::Of<TNxNamespaceColumnsList>());
  for (const char* Property : {"ColumnName", "ColumnSize", "ColumnType", "ColumnModified", "ColumnAttributes"})
    RegisterPropertyEditor(TypeInfoOf<int>(), ClassOf<TNxNamespaceCommonColumns>(), Property,
                           TPropertyEditorClass::Of<TNxNamespaceCommonColumnsList>());
}
