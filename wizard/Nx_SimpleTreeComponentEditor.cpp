#include "wizard/Nx_SimpleTreeComponentEditor.h"

#include "classlib/TypInfo.h"

// ---- TNxSimpleTreeProviderEditor ------------------------------------------------------------------

VD_DEFINE_CLASS(TNxSimpleTreeProviderEditor) {}

void TNxSimpleTreeProviderEditor::ExecuteVerb(int Index) {
  const int Base = inherited::GetVerbCount();
  if (Index < Base)
    inherited::ExecuteVerb(Index);
  else if (Index == Base && EditSimpleTree(Component()))
    Modified();
}

std::string TNxSimpleTreeProviderEditor::GetVerb(int Index) {
  const int Base = inherited::GetVerbCount();
  if (Index < Base) return inherited::GetVerb(Index);
  return Index == Base ? "Tree Editor..." : "";
}

int TNxSimpleTreeProviderEditor::GetVerbCount() { return inherited::GetVerbCount() + 1; }

bool EditSimpleTree(TComponent* Component) {
  auto* Provider = dynamic_cast<TNxSimpleTreeProvider*>(Component);
  if (!Provider) throw Exception("Not a TNxSimpleTreeProvider component");
  TObjectPtr<TSimpleTreeComponentEditor> Dialog(TSimpleTreeComponentEditor::Create(Application));
  nx21::TNxIconList* Icons = Provider->GetSmallIcons();
  if (!Icons) Icons = Provider->GetLargeIcons();
  if (!Icons) Icons = Provider->Icons();
  Dialog->LoadIcons(Icons);
  TTreeNode* Root = Dialog->TreeView->Items()->GetFirstNode();
  Dialog->LoadNodes(Provider->Root(), Root);
  if (Dialog->ShowModal() != mrOk) return false;
  Dialog->SaveNodes(Provider->Root(), Root);
  return true;
}

// ---- TTreeNodeData --------------------------------------------------------------------------------

VD_DEFINE_CLASS(TTreeNodeData) {}

TTreeNodeData::TTreeNodeData(TTreeNode* ANode) : Lines(TStringList::Create()), Node(ANode) { Node->SetData(this); }

TTreeNodeData::~TTreeNodeData() {
  Lines->Free();
  Node->SetData(nullptr);
}

// ---- TSimpleTreeComponentEditor -------------------------------------------------------------------

VD_DEFINE_CLASS(TSimpleTreeComponentEditor) {
  using T = TSimpleTreeComponentEditor;
  C.Field("Panel1", &T::Panel1);
  C.Field("btnOK", &T::btnOK);
  C.Field("btnCancel", &T::btnCancel);
  C.Field("TreeView", &T::TreeView);
  C.Field("Splitter1", &T::Splitter1);
  C.Field("Panel2", &T::Panel2);
  C.Field("Label1", &T::Label1);
  C.Field("mItemData", &T::mItemData);
  C.Field("pmTreeMenu", &T::pmTreeMenu);
  C.Field("miAddFolder", &T::miAddFolder);
  C.Field("miAddItem", &T::miAddItem);
  C.Field("N1", &T::N1);
  C.Field("miDelete", &T::miDelete);
  C.Field("N2", &T::N2);
  C.Field("miItemIcon", &T::miItemIcon);
  C.Field("miItemOpenIcon", &T::miItemOpenIcon);
  C.Field("ImageList", &T::ImageList);
  C.Method<&T::FormCreate>("FormCreate");
  C.Method<&T::TreeViewChange>("TreeViewChange");
  C.Method<&T::TreeViewDeletion>("TreeViewDeletion");
  C.Method<&T::btnOKClick>("btnOKClick");
  C.Method<&T::miAddFolderClick>("miAddFolderClick");
  C.Method<&T::miAddItemClick>("miAddItemClick");
  C.Method<&T::miDeleteClick>("miDeleteClick");
}

void TSimpleTreeComponentEditor::LoadIcons(nx21::TNxIconList* IconList) {
  ImageList->Clear();
  miItemIcon->SetSubMenuImages(ImageList);
  miItemOpenIcon->SetSubMenuImages(ImageList);
  const int Count = IconList ? IconList->GetIconCount() : 0;
  for (int I = 0; I < Count; ++I) {
    TObjectPtr<TIcon> Icon(IconList->GetIcon(I));
    ImageList->AddIcon(Icon.get());
    AddIconItem(miItemIcon, IntToStr(I), I, MakeEvent<&TSimpleTreeComponentEditor::ItemIconClick>(this));
    AddIconItem(miItemOpenIcon, IntToStr(I), I, MakeEvent<&TSimpleTreeComponentEditor::OpenIconClick>(this));
  }
  AddIconItem(miItemIcon, "Default Index (-1)", -1, MakeEvent<&TSimpleTreeComponentEditor::ItemIconClick>(this));
  AddIconItem(miItemOpenIcon, "Default Index (-1)", -1, MakeEvent<&TSimpleTreeComponentEditor::OpenIconClick>(this));
}

void TSimpleTreeComponentEditor::AddIconItem(TMenuItem* Menu, const std::string& Caption, int ImageIndex,
                                             TNotifyEvent OnClick) {
  TMenuItem* Item = TMenuItem::Create(this);
  Item->SetCaption(Caption);
  Item->SetImageIndex(ImageIndex);
  Item->OnClick = OnClick;
  Menu->Add(Item);
}

void TSimpleTreeComponentEditor::LoadNodes(TNxSimpleTreeDataGrain* Grain, TTreeNode* ParentNode) {
  ParentNode->DeleteChildren();
  for (int I = 0; I < Grain->GetCount(); ++I) {
    TNxSimpleTreeDataGrain* Child = Grain->GetItems(I);
    TTreeNode* Node = TreeView->Items()->AddChild(ParentNode, "");
    Node->SetWideText(Child->Caption);
    Node->SetImageIndex(Child->GetShownIndex(false));
    Node->SetSelectedIndex(Child->GetShownIndex(true));
    auto* Data = TTreeNodeData::Create(Node);
    Data->Lines->Assign(&Child->Data);
    Data->ImageIndex = Child->ImageIndex;
    Data->OpenImageIndex = Child->OpenImageIndex;
    Data->IsFolder = Child->Kind == kGrainFolder;
    // Items' children too: whatever the provider holds comes back on OK.
    LoadNodes(Child, Node);
  }
}

void TSimpleTreeComponentEditor::SaveNodes(TNxSimpleTreeDataGrain* Grain, TTreeNode* Node) {
  Grain->Clear();
  for (TTreeNode* Child = Node->GetFirstChild(); Child; Child = Child->GetNextSibling()) {
    TTreeNodeData* Data = DataOf(Child);
    TNxSimpleTreeDataGrain* NewGrain = Grain->CreateChild();
    Grain->Add(NewGrain);
    NewGrain->Caption = Child->WideText();
    NewGrain->Kind = Data && Data->IsFolder ? kGrainFolder : kGrainItem;
    NewGrain->ImageIndex = Data ? Data->ImageIndex : -1;
    NewGrain->OpenImageIndex = Data ? Data->OpenImageIndex : -1;
    if (Data) NewGrain->Data.Assign(Data->Lines);
    SaveNodes(NewGrain, Child);
  }
}

void TSimpleTreeComponentEditor::StoreMemo() {
  if (TTreeNodeData* Data = DataOf(FCurrentNode)) Data->Lines->Assign(mItemData->Lines());
}

void TSimpleTreeComponentEditor::FormCreate(TObject*) { FCurrentNode = nullptr; }

void TSimpleTreeComponentEditor::TreeViewChange(TObject*, TTreeNode* Node) {
  TTreeNodeData* Data = DataOf(Node);
  if (!Data) return;  // the root
  StoreMemo();
  mItemData->Lines()->Assign(Data->Lines);
  FCurrentNode = Node;
}

void TSimpleTreeComponentEditor::TreeViewDeletion(TObject*, TTreeNode* Node) {
  TTreeNodeData* Data = DataOf(Node);
  if (!Data) return;
  // Only the node going loses its unsaved lines; every node of a deleted subtree comes here.
  if (Node == FCurrentNode) FCurrentNode = nullptr;
  Data->Free();
}

void TSimpleTreeComponentEditor::btnOKClick(TObject*) { StoreMemo(); }

TTreeNode* TSimpleTreeComponentEditor::SelectedParentForNew() const {
  TTreeNode* Selected = TreeView->Selected();
  if (!Selected) return nullptr;
  if (Selected == TreeView->Items()->GetFirstNode()) return Selected;
  TTreeNodeData* Data = DataOf(Selected);
  return Data && Data->IsFolder ? Selected : nullptr;
}

void TSimpleTreeComponentEditor::AddNew(const std::string& Text, bool Folder, int Image, int SelectedImage) {
  TTreeNode* Parent = SelectedParentForNew();
  if (!Parent) return;
  TTreeNode* Node = TreeView->Items()->AddChild(Parent, Text);
  Node->SetImageIndex(Image);
  Node->SetSelectedIndex(SelectedImage);
  TTreeNodeData::Create(Node)->IsFolder = Folder;
  Parent->Expand(false);
}

void TSimpleTreeComponentEditor::miAddFolderClick(TObject*) { AddNew("New Folder", true, 0, 1); }
void TSimpleTreeComponentEditor::miAddItemClick(TObject*) { AddNew("New Item", false, 2, 2); }

void TSimpleTreeComponentEditor::miDeleteClick(TObject*) {
  TTreeNode* Selected = TreeView->Selected();
  if (Selected && Selected != TreeView->Items()->GetFirstNode()) Selected->Delete();
}

void TSimpleTreeComponentEditor::ItemIconClick(TObject* Sender) {
  TTreeNode* Selected = TreeView->Selected();
  TTreeNodeData* Data = DataOf(Selected);
  if (!Data) return;  // nothing of the root is stored
  const int Index = static_cast<TMenuItem*>(Sender)->ImageIndex();
  Selected->SetImageIndex(Index);
  Data->ImageIndex = Index;
}

void TSimpleTreeComponentEditor::OpenIconClick(TObject* Sender) {
  TTreeNode* Selected = TreeView->Selected();
  TTreeNodeData* Data = DataOf(Selected);
  if (!Data) return;
  const int Index = static_cast<TMenuItem*>(Sender)->ImageIndex();
  Selected->SetSelectedIndex(Index);
  Data->OpenImageIndex = Index;
}

// ---- Registration ---------------------------------------------------------------------------------

void Nx_SimpleTreeComponentEditor_DoRegister() {
  RegisterComponentEditor(ClassOf<TNxSimpleTreeProvider>(),
                          TComponentEditorClass::Of<TNxSimpleTreeProviderEditor>());
}
