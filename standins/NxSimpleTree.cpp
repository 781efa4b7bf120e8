#include "standins/NxSimpleTree.h"

#include "classlib/TypInfo.h"

// ---- TNxCustomProvider ------------------------------------------------------------------------------

VD_DEFINE_CLASS(TNxCustomProvider) {
  using T = TNxCustomProvider;
  C.Property("SmallIcons", &T::FSmallIcons, &T::SetSmallIcons);
  C.Property("LargeIcons", &T::FLargeIcons, &T::SetLargeIcons);
}

void TNxCustomProvider::SetIconList(nx21::TNxIconList*& Field, nx21::TNxIconList* Value) {
  if (Field == Value) return;
  Field = Value;
  if (Value) Value->FreeNotification(this);
}

void TNxCustomProvider::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FSmallIcons) FSmallIcons = nullptr;
  if (AComponent == FLargeIcons) FLargeIcons = nullptr;
}

// ---- TNxSimpleTreeDataGrain -------------------------------------------------------------------------

VD_DEFINE_CLASS(TNxSimpleTreeDataGrain) {}

TNxSimpleTreeDataGrain* TNxSimpleTreeDataGrain::GetItems(int Index) const {
  if (Index < 0 || Index >= GetCount()) throw EListError("List index out of bounds (" + IntToStr(Index) + ")");
  return FChildren[static_cast<size_t>(Index)].get();
}

void TNxSimpleTreeDataGrain::Add(TNxSimpleTreeDataGrain* Child) { FChildren.emplace_back(Child); }

TNxSimpleTreeDataGrain* TNxSimpleTreeDataGrain::CreateChild() { return TNxSimpleTreeDataGrain::Create(); }

int TNxSimpleTreeDataGrain::GetShownIndex(bool Open) const {
  const int Stored = Open ? OpenImageIndex : ImageIndex;
  if (Stored != -1) return Stored;
  if (Kind == kGrainFolder) return Open ? 1 : 0;
  return 2;
}

// ---- TNxSimpleTreeProvider --------------------------------------------------------------------------

VD_DEFINE_CLASS(TNxSimpleTreeProvider) {
  using T = TNxSimpleTreeProvider;
  C.Property("Icons", &T::FIcons, &T::SetIcons);
}

TNxSimpleTreeProvider::TNxSimpleTreeProvider(TComponent* AOwner)
    : TNxCustomProvider(AOwner), FRoot(TNxSimpleTreeDataGrain::Create()) {}

void TNxSimpleTreeProvider::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FIcons) FIcons = nullptr;
}
