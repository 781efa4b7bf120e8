#include "classlib/Classes.h"

#include <algorithm>
#include <mutex>

#include "classlib/TypInfo.h"

VD_DEFINE_CLASS(TPersistent) {}
VD_DEFINE_CLASS(TFiler) {}
VD_DEFINE_CLASS(TList) {}
VD_DEFINE_CLASS(TThreadList) {}
VD_DEFINE_CLASS(TCriticalSection) {}

VD_DEFINE_CLASS(TCollectionItem) {}
VD_DEFINE_CLASS(TCollection) {}
VD_DEFINE_CLASS(TOwnedCollection) {}

VD_DEFINE_CLASS(TComponent) {
  // The name is written in the object header of a form resource, not as a property.
  C.Property("Name", &TComponent::FName, &TComponent::SetName).Stored(false);
  C.Property("Tag", &TComponent::FTag, &TComponent::SetTag).Default(0);
}

namespace {
constexpr const char* SListIndexError = "List index out of bounds (%d)";
constexpr const char* SListCapacityError = "List capacity out of bounds (%d)";
constexpr const char* SListCountError = "List count out of bounds (%d)";
constexpr const char* SDuplicateItem = "List does not allow duplicates";

template <class T> void EraseAll(std::vector<T*>& List, const T* Item) {
  List.erase(std::remove(List.begin(), List.end(), Item), List.end());
}

std::string FormatInt(const char* Msg, int Data) {
  std::string S = Msg;
  size_t At = S.find("%d");
  if (At != std::string::npos) S.replace(At, 2, std::to_string(Data));
  return S;
}
}  // namespace

// ---- TPersistent --------------------------------------------------------------------------------

void TPersistent::Assign(TPersistent* Source) {
  if (Source) Source->AssignTo(this);
  else AssignError(nullptr);
}

void TPersistent::AssignTo(TPersistent* Dest) { Dest->AssignError(this); }

void TPersistent::AssignError(TPersistent* Source) {
  std::string SourceName = Source ? Source->ClassName() : std::string("nil");
  throw EConvertError("Cannot assign a " + SourceName + " to a " + ClassName());
}

std::string TPersistent::GetNamePath() { return ClassName(); }

// ---- TList --------------------------------------------------------------------------------------

TList::~TList() = default;

void TList::BeforeDestruction() {
  Clear();
  inherited::BeforeDestruction();
}

void TList::Error(const char* Msg, int Data) { throw EListError(FormatInt(Msg, Data)); }

int TList::Add(void* Item) {
  FList.push_back(Item);
  if (Item) Notify(Item, lnAdded);
  return Count() - 1;
}

void TList::Insert(int Index, void* Item) {
  if (Index < 0 || Index > Count()) Error(SListIndexError, Index);
  FList.insert(FList.begin() + Index, Item);
  if (Item) Notify(Item, lnAdded);
}

void TList::Delete(int Index) {
  if (Index < 0 || Index >= Count()) Error(SListIndexError, Index);
  void* Item = FList[static_cast<size_t>(Index)];
  FList.erase(FList.begin() + Index);
  if (Item) Notify(Item, lnDeleted);
}

int TList::Remove(void* Item) {
  int Index = IndexOf(Item);
  if (Index >= 0) Delete(Index);
  return Index;
}

void* TList::Extract(void* Item) {
  int Index = IndexOf(Item);
  if (Index < 0) return nullptr;
  FList.erase(FList.begin() + Index);
  if (Item) Notify(Item, lnExtracted);
  return Item;
}

void TList::Clear() {
  SetCount(0);
  FList.shrink_to_fit();
}

int TList::IndexOf(void* Item) const {
  auto It = std::find(FList.begin(), FList.end(), Item);
  return It == FList.end() ? -1 : static_cast<int>(It - FList.begin());
}

void TList::Exchange(int Index1, int Index2) {
  if (Index1 < 0 || Index1 >= Count()) Error(SListIndexError, Index1);
  if (Index2 < 0 || Index2 >= Count()) Error(SListIndexError, Index2);
  std::swap(FList[static_cast<size_t>(Index1)], FList[static_cast<size_t>(Index2)]);
}

void TList::Move(int CurIndex, int NewIndex) {
  if (CurIndex == NewIndex) return;
  if (CurIndex < 0 || CurIndex >= Count()) Error(SListIndexError, CurIndex);
  if (NewIndex < 0 || NewIndex >= Count()) Error(SListIndexError, NewIndex);
  void* Item = FList[static_cast<size_t>(CurIndex)];
  FList.erase(FList.begin() + CurIndex);
  FList.insert(FList.begin() + NewIndex, Item);
}

void TList::Pack() { FList.erase(std::remove(FList.begin(), FList.end(), nullptr), FList.end()); }

void TList::Sort(TListSortCompare Compare) {
  std::stable_sort(FList.begin(), FList.end(),
                   [Compare](void* A, void* B) { return Compare(A, B) < 0; });
}

void TList::SetCount(int NewCount) {
  if (NewCount < 0) Error(SListCountError, NewCount);
  if (NewCount > Count()) {
    FList.resize(static_cast<size_t>(NewCount), nullptr);
    return;
  }
  while (Count() > NewCount) Delete(Count() - 1);
}

void TList::SetCapacity(int NewCapacity) {
  if (NewCapacity < Count()) Error(SListCapacityError, NewCapacity);
  if (static_cast<size_t>(NewCapacity) > FList.capacity()) {
    FList.reserve(static_cast<size_t>(NewCapacity));
  } else {
    std::vector<void*> Copy;
    Copy.reserve(static_cast<size_t>(NewCapacity));
    Copy.assign(FList.begin(), FList.end());
    FList.swap(Copy);
  }
}

void* TList::Get(int Index) const {
  if (Index < 0 || Index >= Count()) Error(SListIndexError, Index);
  return FList[static_cast<size_t>(Index)];
}

void TList::Put(int Index, void* Item) {
  if (Index < 0 || Index >= Count()) Error(SListIndexError, Index);
  void* Old = FList[static_cast<size_t>(Index)];
  if (Old == Item) return;
  FList[static_cast<size_t>(Index)] = Item;
  if (Old) Notify(Old, lnDeleted);
  if (Item) Notify(Item, lnAdded);
}

// ---- TThreadList --------------------------------------------------------------------------------

void TThreadList::Add(void* Item) {
  std::lock_guard Guard(FLock);
  if (FDuplicates == dupAccept || FList.IndexOf(Item) < 0) FList.Add(Item);
  else if (FDuplicates == dupError) throw EListError(SDuplicateItem);
}

void TThreadList::Remove(void* Item) {
  std::lock_guard Guard(FLock);
  FList.Remove(Item);
}

void TThreadList::Clear() {
  std::lock_guard Guard(FLock);
  FList.Clear();
}

TList* TThreadList::LockList() {
  FLock.Acquire();
  return &FList;
}

void TThreadList::UnlockList() { FLock.Release(); }

// ---- TComponent ---------------------------------------------------------------------------------

TComponent::TComponent(TComponent* AOwner) {
  if (AOwner) AOwner->InsertComponent(this);
}

// Normally BeforeDestruction has done all of this; here only for a constructor that raised.
TComponent::~TComponent() {
  SendFreeNotifications();
  DestroyComponents();
  if (FOwner) FOwner->RemoveComponent(this);
}

void TComponent::BeforeDestruction() {
  Destroying();
  BeforeDestroyComponents();
  SendFreeNotifications();
  DestroyComponents();
  if (FOwner) FOwner->RemoveComponent(this);
  inherited::BeforeDestruction();
}

void TComponent::Destroying() {
  if (FComponentState.Contains(csDestroying)) return;
  IncludeState(csDestroying);
  for (size_t I = 0; I < FComponents.size(); ++I) FComponents[I]->Destroying();
}

void TComponent::DestroyComponents() {
  while (!FComponents.empty()) {
    TComponent* Last = FComponents.back();
    Last->Free();  // removes itself from this owner
    if (!FComponents.empty() && FComponents.back() == Last) FComponents.pop_back();
  }
}

TComponent* TComponent::Components(int Index) const {
  if (Index < 0 || Index >= ComponentCount()) throw EListError(FormatInt(SListIndexError, Index));
  return FComponents[static_cast<size_t>(Index)];
}

int TComponent::ComponentIndex() const {
  if (!FOwner) return -1;
  auto& List = FOwner->FComponents;
  return static_cast<int>(std::find(List.begin(), List.end(), this) - List.begin());
}

void TComponent::SetComponentIndex(int Value) {
  if (!FOwner) return;
  auto& List = FOwner->FComponents;
  int Cur = ComponentIndex();
  Value = std::clamp(Value, 0, static_cast<int>(List.size()) - 1);
  if (Cur == Value) return;
  List.erase(List.begin() + Cur);
  List.insert(List.begin() + Value, this);
}

void TComponent::Insert(TComponent* AComponent) {
  FComponents.push_back(AComponent);
  AComponent->FOwner = this;
}

void TComponent::Remove(TComponent* AComponent) {
  Unlink(FComponents, AComponent);
  AComponent->FOwner = nullptr;
}

void TComponent::InsertComponent(TComponent* AComponent) {
  if (!AComponent || AComponent->FOwner == this) return;
  ValidateRename(AComponent, std::string(), AComponent->FName);
  if (AComponent->FOwner) AComponent->FOwner->RemoveComponent(AComponent);
  Insert(AComponent);
  if (FComponentState.Contains(csDesigning)) AComponent->SetDesigning(true);
  Notification(AComponent, opInsert);
}

void TComponent::RemoveComponent(TComponent* AComponent) {
  if (!AComponent || AComponent->FOwner != this) return;
  Notification(AComponent, opRemove);
  Remove(AComponent);
}

TComponent* TComponent::FindComponent(const std::string& Name) const {
  if (Name.empty()) return nullptr;
  for (TComponent* C : FComponents)
    if (SameText(C->FName, Name)) return C;
  return nullptr;
}

void TComponent::ValidateRename(TComponent* AComponent, const std::string& CurName,
                                const std::string& NewName) {
  if (!AComponent || SameText(CurName, NewName)) return;
  TComponent* Other = FindComponent(NewName);
  if (Other && Other != AComponent)
    throw EComponentError("A component named " + NewName + " already exists");
}

void TComponent::SetName(const std::string& NewName) {
  if (FName == NewName) return;
  if (!NewName.empty() && !IsValidIdent(NewName))
    throw EComponentError("Component name \"" + NewName + "\" is not valid");
  if (FOwner) FOwner->ValidateRename(this, FName, NewName);
  ChangeName(NewName);
}

void TComponent::SetDesigning(bool Value, bool SetChildren) {
  if (Value) IncludeState(csDesigning);
  else ExcludeState(csDesigning);
  if (SetChildren)
    for (size_t I = 0; I < FComponents.size(); ++I) FComponents[I]->SetDesigning(Value, true);
}

void TComponent::Loaded() { ExcludeState(csLoading); }

void TComponent::Notification(TComponent* AComponent, TOperation Operation) {
  if (Operation == opRemove && AComponent) RemoveFreeNotification(AComponent);
  // Handlers may add or free components: re-read the size every time.
  for (size_t I = 0; I < FComponents.size(); ++I) FComponents[I]->Notification(AComponent, Operation);
}

void TComponent::Unlink(std::vector<TComponent*>& List, TComponent* AComponent) {
  EraseAll(List, static_cast<const TComponent*>(AComponent));
}

void TComponent::FreeNotification(TComponent* AComponent) {
  if (!AComponent || AComponent == this) return;
  // These already hear of each other through the owner.
  if ((FOwner && AComponent->FOwner == FOwner) || AComponent->FOwner == this || FOwner == AComponent)
    return;
  if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), AComponent) == FFreeNotifies.end())
    FFreeNotifies.push_back(AComponent);
  auto& Other = AComponent->FFreeNotifies;
  if (std::find(Other.begin(), Other.end(), this) == Other.end()) Other.push_back(this);
  IncludeState(csFreeNotification);
  AComponent->IncludeState(csFreeNotification);
}

void TComponent::RemoveFreeNotification(TComponent* AComponent) {
  if (!AComponent) return;
  Unlink(FFreeNotifies, AComponent);
  Unlink(AComponent->FFreeNotifies, this);
  if (FFreeNotifies.empty()) ExcludeState(csFreeNotification);
  if (AComponent->FFreeNotifies.empty()) AComponent->ExcludeState(csFreeNotification);
}

void TComponent::SendFreeNotifications() {
  while (!FFreeNotifies.empty()) {
    TComponent* Linked = FFreeNotifies.back();
    FFreeNotifies.pop_back();
    Unlink(Linked->FFreeNotifies, this);
    if (Linked->FFreeNotifies.empty()) Linked->ExcludeState(csFreeNotification);
    Linked->Notification(this, opRemove);
  }
  ExcludeState(csFreeNotification);
}

bool TComponent::GetInterface(const IID&, void** Obj) {
  if (Obj) *Obj = nullptr;
  return false;
}

HRESULT TComponent::ComQueryInterface(const IID& Iid, void** Obj) {
  if (!Obj) return E_POINTER;
  *Obj = nullptr;
  if (FVCLComObject) return FVCLComObject->QueryInterface(Iid, Obj);
  return GetInterface(Iid, Obj) ? S_OK : E_NOINTERFACE;
}

ULONG TComponent::ComAddRef() { return FVCLComObject ? FVCLComObject->AddRef() : ULONG(-1); }

ULONG TComponent::ComRelease() { return FVCLComObject ? FVCLComObject->Release() : ULONG(-1); }

bool IsValidIdent(const std::string& Ident) {
  auto Alpha = [](char Ch) { return (Ch >= 'A' && Ch <= 'Z') || (Ch >= 'a' && Ch <= 'z') || Ch == '_'; };
  if (Ident.empty() || !Alpha(Ident[0])) return false;
  for (char Ch : Ident)
    if (!Alpha(Ch) && !(Ch >= '0' && Ch <= '9')) return false;
  return true;
}

// ---- Class registry -----------------------------------------------------------------------------

namespace {
struct TClassRegistry {
  TCriticalSection Lock;
  std::vector<TClass> Classes;
};

TClassRegistry& Registry() {
  static TClassRegistry R;
  return R;
}

TClass FindRegistered(const std::vector<TClass>& Classes, const std::string& Name) {
  for (TClass C : Classes)
    if (SameText(C->ClassName(), Name)) return C;
  return nullptr;
}
}  // namespace

void RegisterClass(TClass AClass) {
  if (!AClass) return;
  auto& R = Registry();
  std::lock_guard Guard(R.Lock);
  if (TClass Known = FindRegistered(R.Classes, AClass->ClassName())) {
    if (Known == AClass) return;
    throw EFilerError("A class named " + AClass->ClassName() + " already exists");
  }
  R.Classes.push_back(AClass);
}

void RegisterClasses(std::initializer_list<TClass> Classes) {
  for (TClass C : Classes) RegisterClass(C);
}

void UnRegisterClass(TClass AClass) {
  auto& R = Registry();
  std::lock_guard Guard(R.Lock);
  R.Classes.erase(std::remove(R.Classes.begin(), R.Classes.end(), AClass), R.Classes.end());
}

TClass GetClass(const std::string& ClassName) {
  auto& R = Registry();
  std::lock_guard Guard(R.Lock);
  return FindRegistered(R.Classes, ClassName);
}

TClass FindClass(const std::string& ClassName) {
  TClass C = GetClass(ClassName);
  if (!C) throw EClassNotFound("Class " + ClassName + " not found");
  return C;
}

// ---- TCollectionItem ----------------------------------------------------------------------------

// Enters the collection quietly; AfterConstruction announces it once the item is whole.
TCollectionItem::TCollectionItem(TCollection* Collection) {
  if (Collection) Collection->InsertItem(this);
}

// Only reached with a collection when the item was not freed (a constructor that raised).
TCollectionItem::~TCollectionItem() {
  if (FCollection) EraseAll(FCollection->FItems, static_cast<const TCollectionItem*>(this));
}

void TCollectionItem::AfterConstruction() {
  inherited::AfterConstruction();
  if (FCollection) {
    FCollection->Notify(this, cnAdded);
    FCollection->Changed();
  }
}

void TCollectionItem::BeforeDestruction() {
  if (FCollection) FCollection->RemoveItem(this, cnDeleting);
  inherited::BeforeDestruction();
}

void TCollectionItem::SetCollection(TCollection* Value) {
  if (Value == FCollection) return;
  if (FCollection) FCollection->RemoveItem(this, cnExtracting);
  if (Value) {
    Value->InsertItem(this);
    Value->Notify(this, cnAdded);
    Value->Changed();
  }
}

int TCollectionItem::Index() const {
  if (!FCollection) return -1;
  auto& Items = FCollection->FItems;
  return static_cast<int>(std::find(Items.begin(), Items.end(), this) - Items.begin());
}

void TCollectionItem::SetIndex(int Value) {
  int Cur = Index();
  if (Cur < 0 || Value < 0 || Value == Cur) return;
  auto& Items = FCollection->FItems;
  Value = std::min(Value, static_cast<int>(Items.size()) - 1);
  Items.erase(Items.begin() + Cur);
  Items.insert(Items.begin() + Value, this);
  Changed(true);
}

void TCollectionItem::Changed(bool AllItems) {
  if (FCollection && FCollection->FUpdateCount == 0) FCollection->Update(AllItems ? nullptr : this);
}

std::string TCollectionItem::GetNamePath() {
  if (!FCollection) return ClassName();
  return FCollection->GetNamePath() + "[" + std::to_string(Index()) + "]";
}

TPersistent* TCollectionItem::GetOwner() { return FCollection; }

// ---- TCollection --------------------------------------------------------------------------------

TCollection::TCollection(TCollectionItemClass ItemClass) : FItemClass(ItemClass) {}

TCollection::~TCollection() {
  std::vector<TCollectionItem*> Items;
  Items.swap(FItems);
  for (TCollectionItem* Item : Items) {
    Item->FCollection = nullptr;
    Item->Free();
  }
}

void TCollection::BeforeDestruction() {
  Clear();
  inherited::BeforeDestruction();
}

void TCollection::InsertItem(TCollectionItem* Item) {
  FItems.push_back(Item);
  Item->FCollection = this;
  Item->FID = FNextID++;
}

void TCollection::RemoveItem(TCollectionItem* Item, TCollectionNotification Action) {
  Notify(Item, Action);
  EraseAll(FItems, static_cast<const TCollectionItem*>(Item));
  Item->FCollection = nullptr;
  Changed();
}

TCollectionItem* TCollection::Add() { return FItemClass.Create(this); }

TCollectionItem* TCollection::Insert(int Index) {
  TCollectionItem* Item = Add();
  Item->SetIndex(Index);
  return Item;
}

void TCollection::Delete(int Index) { Items(Index)->Free(); }

void TCollection::Clear() {
  if (FItems.empty()) return;
  BeginUpdate();
  try {
    while (!FItems.empty()) FItems.back()->Free();
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TCollection::BeginUpdate() { ++FUpdateCount; }

void TCollection::EndUpdate() {
  if (FUpdateCount > 0 && --FUpdateCount == 0) Changed();
}

void TCollection::Changed() {
  if (FUpdateCount == 0) Update(nullptr);
}

TCollectionItem* TCollection::Items(int Index) const {
  if (Index < 0 || Index >= Count()) throw EListError(FormatInt(SListIndexError, Index));
  return FItems[static_cast<size_t>(Index)];
}

TCollectionItem* TCollection::FindItemID(int ID) const {
  for (TCollectionItem* Item : FItems)
    if (Item->FID == ID) return Item;
  return nullptr;
}

void TCollection::Assign(TPersistent* Source) {
  auto* Src = dynamic_cast<TCollection*>(Source);
  if (!Src) {
    inherited::Assign(Source);
    return;
  }
  if (Src == this) return;
  BeginUpdate();
  try {
    Clear();
    for (TCollectionItem* Item : Src->FItems) Add()->Assign(Item);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

std::string TCollection::GetNamePath() {
  TPersistent* Owner = GetOwner();
  if (!Owner) return ClassName();
  std::string Path = Owner->GetNamePath();
  for (PPropInfo P : GetPropList(Owner)) {
    if (P->Kind() == tkClass && GetObjectProp(Owner, P) == this)
      return Path.empty() ? P->Name : Path + "." + P->Name;
  }
  return ClassName();
}
