// Stand-ins for the data providers of the Nx runtime package, which lies outside this repository:
// the component wizard's simple-tree editor edits a TNxSimpleTreeProvider at design time. They
// hold only what the editor reads and writes, and do nothing at run time.
//
// A provider's content is a tree of grains below its root grain: folders (kind 0) and items
// (kind 1), each with a caption, two icon indices (-1: the default picture) and data lines.
//
//   Root
//     "Documents"   folder, icons -1/-1 (shown 0 closed, 1 open), lines "path=C:\Docs"
//       "Letter"    item,   icons  5/-1 (shown 5, 2)
#pragma once

#include <string>
#include <vector>

#include "classlib/Classes.h"
#include "wizard/NxIconList.h"

// A provider with its two icon lists (each may be none).
class TNxCustomProvider : public TComponent {
  VD_CLASS(TNxCustomProvider, TComponent);

public:
  using TComponent::TComponent;

  nx21::TNxIconList* GetSmallIcons() const noexcept { return FSmallIcons; }
  nx21::TNxIconList* GetLargeIcons() const noexcept { return FLargeIcons; }
  void SetSmallIcons(nx21::TNxIconList* Value) { SetIconList(FSmallIcons, Value); }
  void SetLargeIcons(nx21::TNxIconList* Value) { SetIconList(FLargeIcons, Value); }

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void SetIconList(nx21::TNxIconList*& Field, nx21::TNxIconList* Value);

private:
  nx21::TNxIconList* FSmallIcons = nullptr;
  nx21::TNxIconList* FLargeIcons = nullptr;
};

inline constexpr int kGrainFolder = 0;
inline constexpr int kGrainItem = 1;

// One folder or item with its children (owned).
class TNxSimpleTreeDataGrain : public TPersistent {
  VD_CLASS(TNxSimpleTreeDataGrain, TPersistent);

public:
  TNxSimpleTreeDataGrain() = default;

  int GetCount() const noexcept { return static_cast<int>(FChildren.size()); }
  // EListError when out of range.
  TNxSimpleTreeDataGrain* GetItems(int Index) const;
  // Appends Child, which the grain owns from then on.
  void Add(TNxSimpleTreeDataGrain* Child);
  // Frees every child.
  void Clear() { FChildren.clear(); }
  // A new grain fit to be a child of this one (not added).
  virtual TNxSimpleTreeDataGrain* CreateChild();
  // The icon shown closed (False) or open (True): the stored index, or for -1 the provider's
  // default picture (folders 0 closed and 1 open, items 2).
  virtual int GetShownIndex(bool Open) const;

  std::wstring Caption;
  int Kind = kGrainFolder;
  int ImageIndex = -1;
  int OpenImageIndex = -1;
  TStringList Data;

private:
  std::vector<TObjectPtr<TNxSimpleTreeDataGrain>> FChildren;
};

class TNxSimpleTreeProvider : public TNxCustomProvider {
  VD_CLASS(TNxSimpleTreeProvider, TNxCustomProvider);

public:
  explicit TNxSimpleTreeProvider(TComponent* AOwner);

  TNxSimpleTreeDataGrain* Root() const noexcept { return FRoot.get(); }
  // The provider's own icon list, used when it has neither small nor large icons.
  nx21::TNxIconList* Icons() const noexcept { return FIcons; }
  void SetIcons(nx21::TNxIconList* Value) { SetIconList(FIcons, Value); }

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  TObjectPtr<TNxSimpleTreeDataGrain> FRoot;
  nx21::TNxIconList* FIcons = nullptr;
};
