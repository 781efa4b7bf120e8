#include "classlib/Classes.h"

#include <algorithm>

#include "classlib/TypInfo.h"

VD_DEFINE_CLASS(TPersistent) {}
VD_DEFINE_CLASS(TFiler) {}
VD_DEFINE_CLASS(TList) {}
VD_DEFINE_CLASS(TThreadList) {}
VD_DEFINE_CLASS(TCriticalSection) {}

namespace {
constexpr const char* SListIndexError = "List index out of bounds (%d)";
constexpr const char* SListCapacityError = "List capacity out of bounds (%d)";
constexpr const char* SListCountError = "List count out of bounds (%d)";
constexpr const char* SDuplicateItem = "List does not allow duplicates";

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
