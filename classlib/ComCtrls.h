// ComCtrls: the list view and the tree view, over the common controls' SysListView32 and
// SysTreeView32.
//
// Both keep their content in objects of their own (TListItem, TTreeNode) and copy every change
// into the window, which shows it; what the user changes (the selection, a caption edited in
// place, a column's width, an expanded node) is read back from the window. So items may be made
// before the window exists and survive RecreateWnd. Images come from image lists that the control
// does not own; an image index of -1 shows no image.
//
//   object lvUsedSheets: TListView          report view, two columns, whole rows selected
//     ViewStyle = vsReport
//     RowSelect = True
//     Columns = <
//       item
//         Caption = 'Sheet Caption'
//         Width = 200
//       end>
//     SmallImages = ImageList
//     OnEdited = lvUsedSheetsEdited
//   end
//   object TreeView: TTreeView              one node in the resource: text, image, selected
//     Indent = 19                           image and the number of children, depth first
//     Items.Nodes = (
//       'Shell Extension Root' 0 1 0)
//   end
#pragma once

#include <windows.h>
#include <objidl.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "classlib/Controls.h"
#include "classlib/ImgList.h"

class TCustomListView;
class TListItems;
class TCustomTreeView;
class TTreeNodes;

// ---- List view ----------------------------------------------------------------------------------

enum TViewStyle { vsIcon, vsSmallIcon, vsList, vsReport };
VD_ENUM_INFO(TViewStyle, "vsIcon", "vsSmallIcon", "vsList", "vsReport")

// A column of the report view.
class TListColumn : public TCollectionItem {
  VD_CLASS(TListColumn, TCollectionItem);

public:
  explicit TListColumn(TCollection* Collection) : TCollectionItem(Collection) {}
  void Assign(TPersistent* Source) override;
  std::string GetDisplayName() const override;

  const std::string& Caption() const noexcept { return FCaption; }
  void SetCaption(const std::string& Value);
  // In pixels; the window's width when the user dragged it.
  int Width();
  void SetWidth(int Value);

private:
  friend class TCustomListView;
  TCustomListView* ListView() const;
  std::string FCaption;
  int FWidth = 50;
};

class TListColumns : public TOwnedCollection {
  VD_CLASS(TListColumns, TOwnedCollection);

public:
  explicit TListColumns(TCustomListView* AOwner);
  TListColumn* Add() { return static_cast<TListColumn*>(TCollection::Add()); }
  TListColumn* Items(int Index) const { return static_cast<TListColumn*>(TCollection::Items(Index)); }
  TCustomListView* Owner() const noexcept { return FListView; }

protected:
  void Update(TCollectionItem* Item) override;

private:
  TCustomListView* FListView;
};

// One row (report view) or icon. Sub items are the texts of the further columns.
class TListItem : public TPersistent {
  VD_CLASS(TListItem, TPersistent);

public:
  explicit TListItem(TListItems* AOwner);
  ~TListItem() override;
  // Caption, sub items, image index and data.
  void Assign(TPersistent* Source) override;

  const std::string& Caption() const noexcept { return FCaption; }
  void SetCaption(const std::string& Value);
  TStrings* SubItems() const noexcept { return FSubItems; }
  void SetSubItems(TStrings* Value) { FSubItems->Assign(Value); }
  int ImageIndex() const noexcept { return FImageIndex; }
  void SetImageIndex(int Value);
  // A value for the program (not owned).
  void* Data() const noexcept { return FData; }
  void SetData(void* Value) { FData = Value; }
  bool Selected() const;
  // Selecting an item deselects the others (one item at a time).
  void SetSelected(bool Value);
  int Index() const;
  TListItems* Owner() const noexcept { return FOwner; }
  TCustomListView* ListView() const;

  // Takes the item out of the list and frees it.
  void Delete();
  // Starts editing the caption in place (the list view takes the focus); false when the list
  // view is read-only or has no window.
  bool EditCaption();
  void MakeVisible();

private:
  friend class TListItems;
  friend class TCustomListView;
  void SubItemsChanged(TObject* Sender);
  void UpdateWindowTexts();

  TListItems* FOwner;
  std::string FCaption;
  TStringList* FSubItems;
  int FImageIndex = -1;
  void* FData = nullptr;
  bool FSelected = false;  // while there is no window
};

class TListItems : public TPersistent {
  VD_CLASS(TListItems, TPersistent);

public:
  explicit TListItems(TCustomListView* AOwner) : FOwner(AOwner) {}
  ~TListItems() override;
  // The same number of items, each assigned from the source's.
  void Assign(TPersistent* Source) override;

  TListItem* Add() { return Insert(Count()); }
  // A new empty item at Index (0 .. Count).
  TListItem* Insert(int Index);
  void Delete(int Index);
  void Clear();
  int Count() const noexcept { return static_cast<int>(FItems.size()); }
  // EListError when out of range.
  TListItem* Item(int Index) const;
  TListItem* operator[](int Index) const { return Item(Index); }
  int IndexOf(const TListItem* Item) const;
  // The window is not redrawn until the last EndUpdate.
  void BeginUpdate();
  void EndUpdate();
  TCustomListView* Owner() const noexcept { return FOwner; }

private:
  friend class TListItem;
  friend class TCustomListView;
  void Remove(TListItem* Item);
  TCustomListView* FOwner;
  std::vector<TListItem*> FItems;
  int FUpdateCount = 0;
};

using TLVEditingEvent = TEvent<TObject* /*Sender*/, TListItem* /*Item*/, bool& /*AllowEdit*/>;
using TLVEditedEvent = TEvent<TObject* /*Sender*/, TListItem* /*Item*/, std::string& /*S*/>;

// One item can be selected. A caption edited in place goes through OnEdited, which may change it
// (back to Item->Caption() to refuse it), before the item takes it.
class TCustomListView : public TWinControl {
  VD_CLASS(TCustomListView, TWinControl);

public:
  explicit TCustomListView(TComponent* AOwner);
  void BeforeDestruction() override;

  TListColumns* Columns() const noexcept { return FColumns; }
  void SetColumns(TListColumns* Value) { FColumns->Assign(Value); }
  TListItems* Items() const noexcept { return FItems; }
  void SetItems(TListItems* Value) { FItems->Assign(Value); }
  // The selected item, nil when none; setting selects it alone (nil: none) and shows it.
  TListItem* Selected() const;
  void SetSelected(TListItem* Value);
  int ItemIndex() const;
  void SetItemIndex(int Value);
  bool IsEditing() const;

  TViewStyle ViewStyle() const noexcept { return FViewStyle; }
  void SetViewStyle(TViewStyle Value);
  // The whole row shows the selection (report view).
  bool RowSelect() const noexcept { return FRowSelect; }
  void SetRowSelect(bool Value);
  // Column headers act as buttons.
  bool ColumnClick() const noexcept { return FColumnClick; }
  void SetColumnClick(bool Value);
  // Without ReadOnly, captions can be edited in place.
  bool ReadOnly() const noexcept { return FReadOnly; }
  void SetReadOnly(bool Value);
  // The selection shows only while the list view has the focus.
  bool HideSelection() const noexcept { return FHideSelection; }
  void SetHideSelection(bool Value);
  // Images of the icon view and of the other views (not owned).
  TCustomImageList* LargeImages() const noexcept { return FLargeImages.Sender(); }
  void SetLargeImages(TCustomImageList* Value);
  TCustomImageList* SmallImages() const noexcept { return FSmallImages.Sender(); }
  void SetSmallImages(TCustomImageList* Value);

  TLVEditingEvent OnEditing;
  TLVEditedEvent OnEdited;

protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void Dispatch(TMessage& Message) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  friend class TListColumn;
  friend class TListColumns;
  friend class TListItem;
  friend class TListItems;
  LRESULT Send(UINT Msg, WPARAM W, LPARAM L) const;
  bool HasWindow() const { return HandleAllocated(); }
  void SetImageList(TChangeLink& Link, TCustomImageList* Value);
  void ImagesChanged(TObject* Sender);
  void ApplyImages();
  void ApplyExtendedStyle();
  void RebuildColumns();
  void UpdateColumn(int Index);
  void InsertWindowItem(TListItem* Item, int Index);
  bool HandleNotify(TMessage& Message);

  TListColumns* FColumns;
  TListItems* FItems;
  TViewStyle FViewStyle = vsIcon;
  bool FRowSelect = false;
  bool FColumnClick = true;
  bool FReadOnly = false;
  bool FHideSelection = true;
  TChangeLink FLargeImages;
  TChangeLink FSmallImages;
};

class TListView : public TCustomListView {
  VD_CLASS(TListView, TCustomListView);

public:
  using TCustomListView::TCustomListView;
};

// ---- Tree view ----------------------------------------------------------------------------------

// A node of the tree. Its text is held in UTF-16 (WideText), so any caption survives unchanged;
// Text is its ANSI form.
class TTreeNode : public TPersistent {
  VD_CLASS(TTreeNode, TPersistent);

public:
  explicit TTreeNode(TTreeNodes* AOwner) : FOwner(AOwner) {}
  ~TTreeNode() override;

  std::string Text() const;
  void SetText(const std::string& Value);
  const std::wstring& WideText() const noexcept { return FText; }
  void SetWideText(const std::wstring& Value);
  // The images shown closed and selected (-1: none).
  int ImageIndex() const noexcept { return FImageIndex; }
  void SetImageIndex(int Value);
  int SelectedIndex() const noexcept { return FSelectedIndex; }
  void SetSelectedIndex(int Value);
  // A value for the program (not owned).
  void* Data() const noexcept { return FData; }
  void SetData(void* Value) { FData = Value; }

  TTreeNode* Parent() const noexcept { return FParent; }
  int Count() const noexcept { return static_cast<int>(FChildren.size()); }
  bool HasChildren() const noexcept { return !FChildren.empty(); }
  // EListError when out of range.
  TTreeNode* Item(int Index) const;
  TTreeNode* GetFirstChild() const { return FChildren.empty() ? nullptr : FChildren.front(); }
  TTreeNode* GetNextSibling() const;
  TTreeNode* GetPrevSibling() const;
  // The place among its siblings, and the depth (top-level nodes: 0).
  int Index() const;
  int Level() const;
  TTreeNodes* Owner() const noexcept { return FOwner; }
  TCustomTreeView* TreeView() const;
  // The window's item (nil while there is no window).
  HTREEITEM ItemId() const noexcept { return FItemId; }

  bool Selected() const;
  void SetSelected(bool Value);
  bool Expanded() const;
  void Expand(bool Recurse);
  void Collapse(bool Recurse);
  // Starts editing the text in place (the tree view takes the focus); false when the tree view
  // is read-only or has no window.
  bool EditText();
  // Deletes the node with its subtree (OnDeletion for every node), or only the subtree.
  void Delete();
  void DeleteChildren();

private:
  friend class TTreeNodes;
  friend class TCustomTreeView;
  void UpdateWindowItem(UINT Mask);

  TTreeNodes* FOwner;
  TTreeNode* FParent = nullptr;
  std::vector<TTreeNode*> FChildren;
  std::wstring FText;
  int FImageIndex = -1;
  int FSelectedIndex = -1;
  void* FData = nullptr;
  HTREEITEM FItemId = nullptr;
  bool FExpanded = false;  // while there is no window
  bool FSelected = false;  // while there is no window
};

class TTreeNodes : public TPersistent {
  VD_CLASS(TTreeNodes, TPersistent);

public:
  explicit TTreeNodes(TCustomTreeView* AOwner) : FOwner(AOwner) {}
  ~TTreeNodes() override;
  // The same nodes: texts, images and data, at every level.
  void Assign(TPersistent* Source) override;
  // "Nodes": every node depth first as its text, image index, selected index and child count.
  void DefineProperties(TFiler* Filer) override;

  // A node after the last sibling of Sibling (nil: at the top level).
  TTreeNode* Add(TTreeNode* Sibling, const std::string& S);
  // A node after the last child of Parent (nil: at the top level).
  TTreeNode* AddChild(TTreeNode* Parent, const std::string& S);
  TTreeNode* AddChildObject(TTreeNode* Parent, const std::string& S, void* Data);
  // The node with its subtree: OnDeletion for every node (children first) while the whole tree
  // is still there, then the window's items, then the nodes.
  void Delete(TTreeNode* Node);
  void Clear();
  // Every node, at every level.
  int Count() const;
  // The first top-level node, nil when none.
  TTreeNode* GetFirstNode() const { return FRoots.empty() ? nullptr : FRoots.front(); }
  // The node at Index in depth-first order (EListError when out of range).
  TTreeNode* Item(int Index) const;
  TTreeNode* operator[](int Index) const { return Item(Index); }
  // The window is not redrawn until the last EndUpdate.
  void BeginUpdate();
  void EndUpdate();
  TCustomTreeView* Owner() const noexcept { return FOwner; }

private:
  friend class TTreeNode;
  friend class TCustomTreeView;
  TTreeNode* InsertNode(TTreeNode* Parent, const std::wstring& Text, void* Data);
  std::vector<TTreeNode*>& SiblingsOf(TTreeNode* Parent) { return Parent ? Parent->FChildren : FRoots; }
  void NotifyDeletion(TTreeNode* Node);
  void FreeNodes(std::vector<TTreeNode*>& Nodes);
  // Every node, depth first.
  void ForEachNode(const std::function<void(TTreeNode*)>& Action) const;
  void ReadNodes(TReader& Reader);
  void WriteNodes(TWriter& Writer);

  TCustomTreeView* FOwner;
  std::vector<TTreeNode*> FRoots;
  int FUpdateCount = 0;
};

using TTVChangedEvent = TEvent<TObject* /*Sender*/, TTreeNode* /*Node*/>;
using TTVEditingEvent = TEvent<TObject* /*Sender*/, TTreeNode* /*Node*/, bool& /*AllowEdit*/>;
using TTVEditedEvent = TEvent<TObject* /*Sender*/, TTreeNode* /*Node*/, std::string& /*S*/>;

// Lines, buttons and lines at the root. OnChange tells of a new selection (nil when none is left);
// OnDeletion of every node that goes, while the tree is whole (also when the tree view is freed).
// With RightClickSelect a right click selects the node under the mouse before the popup menu.
// A text edited in place goes through OnEdited, which may change it.
class TCustomTreeView : public TWinControl {
  VD_CLASS(TCustomTreeView, TWinControl);

public:
  explicit TCustomTreeView(TComponent* AOwner);
  void BeforeDestruction() override;

  TTreeNodes* Items() const noexcept { return FItems; }
  void SetItems(TTreeNodes* Value) { FItems->Assign(Value); }
  // The selected node (nil: none); setting selects and shows it.
  TTreeNode* Selected() const;
  void SetSelected(TTreeNode* Value);
  // The node at a point of the client area, nil when none.
  TTreeNode* GetNodeAt(int X, int Y) const;
  bool IsEditing() const;

  TCustomImageList* Images() const noexcept { return FImages.Sender(); }
  void SetImages(TCustomImageList* Value);
  // Pixels a level is indented.
  int Indent() const;
  void SetIndent(int Value);
  // The selection shows only while the tree view has the focus.
  bool HideSelection() const noexcept { return FHideSelection; }
  void SetHideSelection(bool Value);
  // Without ReadOnly, texts can be edited in place.
  bool ReadOnly() const noexcept { return FReadOnly; }
  void SetReadOnly(bool Value);
  bool RightClickSelect() const noexcept { return FRightClickSelect; }
  void SetRightClickSelect(bool Value) { FRightClickSelect = Value; }

  TTVChangedEvent OnChange;
  TTVChangedEvent OnDeletion;
  TTVEditingEvent OnEditing;
  TTVEditedEvent OnEdited;

protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void Dispatch(TMessage& Message) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void BeforeDestroyComponents() override;
  virtual void Change(TTreeNode* Node);
  virtual void Delete(TTreeNode* Node);

private:
  friend class TTreeNode;
  friend class TTreeNodes;
  LRESULT Send(UINT Msg, WPARAM W, LPARAM L) const;
  void InsertWindowItems(TTreeNode* Node);
  void ImagesChanged(TObject* Sender);
  void ApplyImages();
  bool HandleNotify(TMessage& Message);
  void SelectNodeAtCursor();

  TTreeNodes* FItems;
  TChangeLink FImages;
  int FIndent = 19;
  bool FHideSelection = true;
  bool FReadOnly = false;
  bool FRightClickSelect = false;
  bool FClosing = false;  // the nodes go because the tree view goes: no OnChange
};

class TTreeView : public TCustomTreeView {
  VD_CLASS(TTreeView, TCustomTreeView);

public:
  using TCustomTreeView::TCustomTreeView;
};
