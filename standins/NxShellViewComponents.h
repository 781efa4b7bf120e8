// Stand-ins for four components of the Nx runtime package, which lies outside this repository: the
// component wizard's shell-view form, activation-verb and namespace-column editors edit them at
// design time. Each holds only what those editors read and write, and does nothing at run time.
//
//   TNxFileFolder.ActivationVerbs    "TxtFile|Open=Open", "TxtFile|Explore=Explore"
//                                    (file class name as stored, "|", the verb; its role)
//   TNxNamespaceDetails.Columns      "Name", "Size", "Type"; DefSortingColumn 0 (a column's index)
//   TNxFormShellView                 ShellViewFormClass "TForm1"
#pragma once

#include <string>

#include "classlib/Classes.h"
#include "nx/NxFileClasses.h"

// A shell folder whose file classes a shell verb can activate it through.
class TNxFileFolder : public TComponent {
  VD_CLASS(TNxFileFolder, TComponent);

public:
  explicit TNxFileFolder(TComponent* AOwner);

  // The folder's file classes (not owned; nil: none).
  TNxFileClasses* FileClasses() const noexcept { return FFileClasses; }
  void SetFileClasses(TNxFileClasses* Value);
  TStrings* ActivationVerbs() const noexcept { return FActivationVerbs.get(); }
  void SetActivationVerbs(TStrings* Value) { FActivationVerbs->Assign(Value); }

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  TNxFileClasses* FFileClasses = nullptr;
  TObjectPtr<TStrings> FActivationVerbs;
};

// A column of a namespace's details view.
class TShellColumn : public TCollectionItem {
  VD_CLASS(TShellColumn, TCollectionItem);

public:
  explicit TShellColumn(TCollection* Collection) : TCollectionItem(Collection) {}
  const std::string& Name() const noexcept { return FName; }
  void SetName(const std::string& Value) { FName = Value; }
  std::string GetDisplayName() const override { return FName; }

private:
  std::string FName;
};

class TShellColumns : public TOwnedCollection {
  VD_CLASS(TShellColumns, TOwnedCollection);

public:
  explicit TShellColumns(TPersistent* AOwner);
  TShellColumn* Add() { return static_cast<TShellColumn*>(TCollection::Add()); }
  TShellColumn* GetItem(int Index) const { return static_cast<TShellColumn*>(Items(Index)); }
};

class TNxNamespaceDetails;

// The columns every namespace shows, by index into its details' columns (-1: none).
class TNxNamespaceCommonColumns : public TPersistent {
  VD_CLASS(TNxNamespaceCommonColumns, TPersistent);

public:
  // Details: the component that owns it (may be nil).
  explicit TNxNamespaceCommonColumns(TNxNamespaceDetails* Details) : FDetails(Details) {}
  TNxNamespaceDetails* NamespaceDetails() const noexcept { return FDetails; }
  void Assign(TPersistent* Source) override;
  TPersistent* GetOwner() override;

  int ColumnName = -1;
  int ColumnSize = -1;
  int ColumnType = -1;
  int ColumnModified = -1;
  int ColumnAttributes = -1;

private:
  TNxNamespaceDetails* FDetails;
};

// The details view of a namespace: its columns, the one it sorts by and the one it shows first.
class TNxNamespaceDetails : public TComponent {
  VD_CLASS(TNxNamespaceDetails, TComponent);

public:
  explicit TNxNamespaceDetails(TComponent* AOwner);

  TShellColumns* GetColumns() const noexcept { return FColumns.get(); }
  void SetColumns(TShellColumns* Value) { FColumns->Assign(Value); }
  TNxNamespaceCommonColumns* CommonColumns() const noexcept { return FCommonColumns.get(); }
  void SetCommonColumns(TNxNamespaceCommonColumns* Value) { FCommonColumns->Assign(Value); }

  int DefSortingColumn = -1;
  int DefDisplayColumn = -1;

private:
  TObjectPtr<TShellColumns> FColumns;
  TObjectPtr<TNxNamespaceCommonColumns> FCommonColumns;
};

// A shell view shown by a form of the project, named by its class.
class TNxFormShellView : public TComponent {
  VD_CLASS(TNxFormShellView, TComponent);

public:
  using TComponent::TComponent;
  const std::string& ShellViewFormClass() const noexcept { return FShellViewFormClass; }
  void SetShellViewFormClass(const std::string& Value) { FShellViewFormClass = Value; }

private:
  std::string FShellViewFormClass;
};
