// The simple-tree component editor: the verb "Tree Editor..." on a TNxSimpleTreeProvider in the form
// designer opens the dialog "Simple Tree editor", in which the provider's tree of grains is built
// with a tree view (folders and items; texts edited in place), its popup menu (add, delete, the
// closed and open icon of a node from the provider's icons) and a memo with the node's data lines.
// OK replaces the provider's whole tree with grains made from the nodes; Cancel leaves it as it was.
//
// Under the node "Shell Extension Root" (the provider's root grain) every node stands for one grain
// and owns a TTreeNodeData: whether it is a folder, its data lines and the two icon indices stored
// in the grain (-1: the provider's default picture, which the node shows meanwhile).
#pragma once

#include "classlib/ComCtrls.h"
#include "classlib/ExtCtrls.h"
#include "classlib/Forms.h"
#include "classlib/ImgList.h"
#include "classlib/Menus.h"
#include "classlib/StdCtrls.h"
#include "ide/DesignEditors.h"
#include "standins/NxSimpleTree.h"

class TNxSimpleTreeProviderEditor : public TComponentEditor {
  VD_CLASS(TNxSimpleTreeProviderEditor, TComponentEditor);

public:
  TNxSimpleTreeProviderEditor() = default;
  // After the base class's verbs: "Tree Editor...", which runs EditSimpleTree and tells the
  // designer when it returns True.
  void ExecuteVerb(int Index) override;
  std::string GetVerb(int Index) override;
  int GetVerbCount() override;
};

// Runs the dialog on Component; True when it closed with OK (the tree was stored).
// "Not a TNxSimpleTreeProvider component" for any other component.
bool EditSimpleTree(TComponent* Component);

// What a node other than the root carries; made with its node (Node->Data() points to it) and freed
// when the node goes.
class TTreeNodeData : public TObject {
  VD_CLASS(TTreeNodeData, TObject);

public:
  explicit TTreeNodeData(TTreeNode* ANode);
  ~TTreeNodeData() override;

  bool IsFolder = false;
  TStringList* Lines;
  TTreeNode* Node;
  int ImageIndex = -1;
  int OpenImageIndex = -1;
};

// The dialog (form resource TSIMPLETREECOMPONENTEDITOR).
class TSimpleTreeComponentEditor : public TForm {
  VD_CLASS(TSimpleTreeComponentEditor, TForm);

public:
  using TForm::TForm;

  // The provider's icons (none: only "Default Index (-1)") as the tree's images and the two icon
  // sub-menus.
  void LoadIcons(nx21::TNxIconList* IconList);
  // Nodes under ParentNode for the children of Grain, at every level.
  void LoadNodes(TNxSimpleTreeDataGrain* Grain, TTreeNode* ParentNode);
  // Grain's children made anew from the nodes under Node, at every level.
  void SaveNodes(TNxSimpleTreeDataGrain* Grain, TTreeNode* Node);
  // The node whose lines the memo shows (nil: none).
  TTreeNode* CurrentNode() const noexcept { return FCurrentNode; }

  TPanel* Panel1 = nullptr;
  TButton* btnOK = nullptr;
  TButton* btnCancel = nullptr;
  TTreeView* TreeView = nullptr;
  TSplitter* Splitter1 = nullptr;
  TPanel* Panel2 = nullptr;
  TLabel* Label1 = nullptr;
  TMemo* mItemData = nullptr;
  TPopupMenu* pmTreeMenu = nullptr;
  TMenuItem* miAddFolder = nullptr;
  TMenuItem* miAddItem = nullptr;
  TMenuItem* N1 = nullptr;
  TMenuItem* miDelete = nullptr;
  TMenuItem* N2 = nullptr;
  TMenuItem* miItemIcon = nullptr;
  TMenuItem* miItemOpenIcon = nullptr;
  TImageList* ImageList = nullptr;

  void FormCreate(TObject* Sender);
  void TreeViewChange(TObject* Sender, TTreeNode* Node);
  void TreeViewDeletion(TObject* Sender, TTreeNode* Node);
  void btnOKClick(TObject* Sender);
  void miAddFolderClick(TObject* Sender);
  void miAddItemClick(TObject* Sender);
  void miDeleteClick(TObject* Sender);
  void ItemIconClick(TObject* Sender);
  void OpenIconClick(TObject* Sender);

private:
  static TTreeNodeData* DataOf(TTreeNode* Node) { return Node ? static_cast<TTreeNodeData*>(Node->Data()) : nullptr; }
  void AddIconItem(TMenuItem* Menu, const std::string& Caption, int ImageIndex, TNotifyEvent OnClick);
  // Whether the selected node takes new children: the root and folders.
  TTreeNode* SelectedParentForNew() const;
  void AddNew(const std::string& Text, bool Folder, int Image, int SelectedImage);
  // The memo's lines into the current node, when there is one.
  void StoreMemo();

  TTreeNode* FCurrentNode = nullptr;
};

// Registers TNxSimpleTreeProviderEditor for TNxSimpleTreeProvider.
void Nx_SimpleTreeComponentEditor_DoRegister();
