#include "standins/NxShellViewComponents.h"

#include "classlib/TypInfo.h"

// ---- TNxFileFolder ----------------------------------------------------------------------------------

VD_DEFINE_CLASS(TNxFileFolder) {
  using T = TNxFileFolder;
  C.Property("FileClasses", &T::FFileClasses, &T::SetFileClasses);
  C.Property("ActivationVerbs", &T::ActivationVerbs, &T::SetActivationVerbs);
}

TNxFileFolder::TNxFileFolder(TComponent* AOwner) : TComponent(AOwner), FActivationVerbs(TStringList::Create()) {}

void TNxFileFolder::SetFileClasses(TNxFileClasses* Value) {
  if (FFileClasses == Value) return;
  FFileClasses = Value;
  if (Value) Value->FreeNotification(this);
}

void TNxFileFolder::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FFileClasses) FFileClasses = nullptr;
}

// ---- Namespace columns ------------------------------------------------------------------------------

VD_DEFINE_CLASS(TShellColumn) { C.Property("Name", &TShellColumn::FName, &TShellColumn::SetName); }

VD_DEFINE_CLASS(TShellColumns) {}

TShellColumns::TShellColumns(TPersistent* AOwner) : TOwnedCollection(AOwner, TCollectionItemClass::Of<TShellColumn>()) {}

VD_DEFINE_CLASS(TNxNamespaceCommonColumns) {
  using T = TNxNamespaceCommonColumns;
  C.Property("ColumnName", &T::ColumnName, &T::ColumnName);
  C.Property("ColumnSize", &T::ColumnSize, &T::ColumnSize);
  C.Property("ColumnType", &T::ColumnType, &T::ColumnType);
  C.Property("ColumnModified", &T::ColumnModified, &T::ColumnModified);
  C.Property("ColumnAttributes", &T::ColumnAttributes, &T::ColumnAttributes);
}

TPersistent* TNxNamespaceCommonColumns::GetOwner() { return FDetails; }

void TNxNamespaceCommonColumns::Assign(TPersistent* Source) {
  auto* Other = dynamic_cast<TNxNamespaceCommonColumns*>(Source);
  if (!Other) {
    inherited::Assign(Source);
    return;
  }
  ColumnName = Other->ColumnName;
  ColumnSize = Other->ColumnSize;
  ColumnType = Other->ColumnType;
  ColumnModified = Other->ColumnModified;
  ColumnAttributes = Other->ColumnAttributes;
}

VD_DEFINE_CLASS(TNxNamespaceDetails) {
  using T = TNxNamespaceDetails;
  C.Property("Columns", &T::GetColumns, &T::SetColumns);
  C.Property("CommonColumns", &T::CommonColumns, &T::SetCommonColumns);
  C.Property("DefSortingColumn", &T::DefSortingColumn, &T::DefSortingColumn);
  C.Property("DefDisplayColumn", &T::DefDisplayColumn, &T::DefDisplayColumn);
}

TNxNamespaceDetails::TNxNamespaceDetails(TComponent* AOwner)
    : TComponent(AOwner),
      FColumns(TShellColumns::Create(this)),
      FCommonColumns(TNxNamespaceCommonColumns::Create(this)) {}

// ---- TNxFormShellView -------------------------------------------------------------------------------

VD_DEFINE_CLASS(TNxFormShellView) {
  C.Property("ShellViewFormClass", &TNxFormShellView::FShellViewFormClass, &TNxFormShellView::SetShellViewFormClass);
}
