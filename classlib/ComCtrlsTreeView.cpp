// The tree view: nodes and the SysTreeView32 window that shows them. The window runs in its
// Unicode format, so node texts go in and come back (edited in place) as UTF-16.
#include <algorithm>
#include <functional>

#include "classlib/ComCtrls.h"
#include "classlib/ComCtrlsInternal.h"
#include "classlib/ControlsPublish.h"
#include "classlib/FormStream.h"
#include "classlib/TypInfo.h"

using namespace comctrls_detail;
using namespace controls_publish;

namespace {
// Form resources create these by class name. Registering only records the classes.
struct TTreeViewRegistration {
  TTreeViewRegistration() { RegisterClass(ClassOf<TTreeView>()); }
} const g_TreeViewClasses;

TTreeNode* NodeOfParam(LPARAM Param) { return reinterpret_cast<TTreeNode*>(Param); }
}  // namespace

// ---- TTreeNode ----------------------------------------------------------------------------------

TTreeNode::~TTreeNode() = default;

TCustomTreeView* TTreeNode::TreeView() const { return FOwner->Owner(); }

std::string TTreeNode::Text() const { return WideToAnsi(FText); }

void TTreeNode::SetText(const std::string& Value) { SetWideText(AnsiToWide(Value)); }

void TTreeNode::SetWideText(const std::wstring& Value) {
  FText = Value;
  UpdateWindowItem(TVIF_TEXT);
}

void TTreeNode::SetImageIndex(int Value) {
  FImageIndex = Value;
  UpdateWindowItem(TVIF_IMAGE);
}

void TTreeNode::SetSelectedIndex(int Value) {
  FSelectedIndex = Value;
  UpdateWindowItem(TVIF_SELECTEDIMAGE);
}

void TTreeNode::UpdateWindowItem(UINT Mask) {
  if (!FItemId || !TreeView()->HandleAllocated()) return;
  TVITEMW Item{};
  Item.mask = Mask | TVIF_HANDLE;
  Item.hItem = FItemId;
  Item.pszText = FText.data();
  Item.iImage = WindowImage(FImageIndex);
  Item.iSelectedImage = WindowImage(FSelectedIndex);
  TreeView()->Send(TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&Item));
}

TTreeNode* TTreeNode::Item(int Index) const {
  if (Index < 0 || Index >= Count()) throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  return FChildren[static_cast<size_t>(Index)];
}

int TTreeNode::Index() const {
  const auto& Siblings = FOwner->SiblingsOf(FParent);
  auto It = std::find(Siblings.begin(), Siblings.end(), this);
  return It == Siblings.end() ? -1 : static_cast<int>(It - Siblings.begin());
}

TTreeNode* TTreeNode::GetNextSibling() const {
  const auto& Siblings = FOwner->SiblingsOf(FParent);
  int I = Index();
  return I >= 0 && I + 1 < static_cast<int>(Siblings.size()) ? Siblings[static_cast<size_t>(I) + 1] : nullptr;
}

TTreeNode* TTreeNode::GetPrevSibling() const {
  int I = Index();
  return I > 0 ? FOwner->SiblingsOf(FParent)[static_cast<size_t>(I) - 1] : nullptr;
}

int TTreeNode::Level() const {
  int Level = 0;
  for (TTreeNode* P = FParent; P; P = P->FParent) ++Level;
  return Level;
}

bool TTreeNode::Selected() const {
  if (!FItemId || !TreeView()->HandleAllocated()) return FSelected;
  return reinterpret_cast<HTREEITEM>(TreeView()->Send(TVM_GETNEXTITEM, TVGN_CARET, 0)) == FItemId;
}

void TTreeNode::SetSelected(bool Value) {
  if (Value) TreeView()->SetSelected(this);
  else if (Selected()) TreeView()->SetSelected(nullptr);
}

bool TTreeNode::Expanded() const {
  if (!FItemId || !TreeView()->HandleAllocated()) return FExpanded;
  return (TreeView()->Send(TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(FItemId), TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
}

void TTreeNode::Expand(bool Recurse) {
  FExpanded = true;
  if (FItemId && TreeView()->HandleAllocated())
    TreeView()->Send(TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(FItemId));
  if (Recurse)
    for (TTreeNode* Child : FChildren) Child->Expand(true);
}

void TTreeNode::Collapse(bool Recurse) {
  FExpanded = false;
  if (FItemId && TreeView()->HandleAllocated())
    TreeView()->Send(TVM_EXPAND, TVE_COLLAPSE, reinterpret_cast<LPARAM>(FItemId));
  if (Recurse)
    for (TTreeNode* Child : FChildren) Child->Collapse(true);
}

bool TTreeNode::EditText() {
  TCustomTreeView* TV = TreeView();
  if (TV->ReadOnly() || !FItemId || !TV->HandleAllocated()) return false;
  ::SetFocus(TV->Handle());
  return TV->Send(TVM_EDITLABELW, 0, reinterpret_cast<LPARAM>(FItemId)) != 0;
}

void TTreeNode::Delete() { FOwner->Delete(this); }

void TTreeNode::DeleteChildren() {
  while (!FChildren.empty()) FOwner->Delete(FChildren.front());
}

// ---- TTreeNodes ---------------------------------------------------------------------------------

TTreeNodes::~TTreeNodes() { FreeNodes(FRoots); }

void TTreeNodes::FreeNodes(std::vector<TTreeNode*>& Nodes) {
  std::vector<TTreeNode*> List;
  List.swap(Nodes);
  for (TTreeNode* Node : List) {
    FreeNodes(Node->FChildren);
    Node->Free();
  }
}

TTreeNode* TTreeNodes::InsertNode(TTreeNode* Parent, const std::wstring& Text, void* Data) {
  TTreeNode* Node = TTreeNode::Create(this);
  Node->FParent = Parent;
  Node->FText = Text;
  Node->FData = Data;
  SiblingsOf(Parent).push_back(Node);
  if (FOwner->HandleAllocated()) FOwner->InsertWindowItems(Node);
  return Node;
}

TTreeNode* TTreeNodes::Add(TTreeNode* Sibling, const std::string& S) {
  return InsertNode(Sibling ? Sibling->FParent : nullptr, AnsiToWide(S), nullptr);
}

TTreeNode* TTreeNodes::AddChild(TTreeNode* Parent, const std::string& S) {
  return InsertNode(Parent, AnsiToWide(S), nullptr);
}

TTreeNode* TTreeNodes::AddChildObject(TTreeNode* Parent, const std::string& S, void* Data) {
  return InsertNode(Parent, AnsiToWide(S), Data);
}

void TTreeNodes::NotifyDeletion(TTreeNode* Node) {
  for (TTreeNode* Child : std::vector<TTreeNode*>(Node->FChildren)) NotifyDeletion(Child);
  FOwner->Delete(Node);
}

void TTreeNodes::Delete(TTreeNode* Node) {
  if (!Node || Node->FOwner != this) return;
  NotifyDeletion(Node);
  auto& Siblings = SiblingsOf(Node->FParent);
  Siblings.erase(std::remove(Siblings.begin(), Siblings.end(), Node), Siblings.end());
  // The window may select another node now (OnChange); that one is outside the subtree.
  if (Node->FItemId && FOwner->HandleAllocated())
    FOwner->Send(TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(Node->FItemId));
  std::vector<TTreeNode*> Gone{Node};
  FreeNodes(Gone);
}

void TTreeNodes::Clear() {
  for (TTreeNode* Node : std::vector<TTreeNode*>(FRoots)) NotifyDeletion(Node);
  std::vector<TTreeNode*> Gone;
  Gone.swap(FRoots);
  if (FOwner->HandleAllocated()) FOwner->Send(TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
  FreeNodes(Gone);
}

void TTreeNodes::ForEachNode(const std::function<void(TTreeNode*)>& Action) const {
  auto Walk = [&Action](auto& Self, const std::vector<TTreeNode*>& Nodes) -> void {
    for (TTreeNode* Node : Nodes) {
      Action(Node);
      Self(Self, Node->FChildren);
    }
  };
  Walk(Walk, FRoots);
}

int TTreeNodes::Count() const {
  int N = 0;
  ForEachNode([&N](TTreeNode*) { ++N; });
  return N;
}

TTreeNode* TTreeNodes::Item(int Index) const {
  int Left = Index;
  auto Find = [&Left](auto& Self, const std::vector<TTreeNode*>& Nodes) -> TTreeNode* {
    for (TTreeNode* Node : Nodes) {
      if (Left-- == 0) return Node;
      if (TTreeNode* Found = Self(Self, Node->FChildren)) return Found;
    }
    return nullptr;
  };
  TTreeNode* Node = Index >= 0 ? Find(Find, FRoots) : nullptr;
  if (!Node) throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  return Node;
}

void TTreeNodes::BeginUpdate() {
  if (FUpdateCount++ == 0 && FOwner->HandleAllocated()) FOwner->Send(WM_SETREDRAW, FALSE, 0);
}

void TTreeNodes::EndUpdate() {
  if (FUpdateCount == 0 || --FUpdateCount > 0 || !FOwner->HandleAllocated()) return;
  FOwner->Send(WM_SETREDRAW, TRUE, 0);
  FOwner->Invalidate();
}

void TTreeNodes::Assign(TPersistent* Source) {
  auto* Src = dynamic_cast<TTreeNodes*>(Source);
  if (!Src) {
    inherited::Assign(Source);
    return;
  }
  if (Src == this) return;
  Clear();
  auto Copy = [this](auto& Self, TTreeNode* Parent, const std::vector<TTreeNode*>& Nodes) -> void {
    for (TTreeNode* From : Nodes) {
      TTreeNode* Node = InsertNode(Parent, From->FText, From->FData);
      Node->SetImageIndex(From->FImageIndex);
      Node->SetSelectedIndex(From->FSelectedIndex);
      Self(Self, Node, From->FChildren);
    }
  };
  Copy(Copy, nullptr, Src->FRoots);
}

void TTreeNodes::DefineProperties(TFiler* Filer) {
  inherited::DefineProperties(Filer);
  Filer->DefineProperty(
      "Nodes", [this](TReader& R) { ReadNodes(R); }, [this](TWriter& W) { WriteNodes(W); }, !FRoots.empty());
}

void TTreeNodes::ReadNodes(TReader& Reader) {
  Clear();
  auto ReadNode = [&](auto& Self, TTreeNode* Parent) -> void {
    std::string Text = Reader.ReadString();
    int Image = Reader.ReadInteger();
    int Selected = Reader.ReadInteger();
    int Children = Reader.ReadInteger();
    if (Children < 0) throw EReadError("Invalid tree node: a negative number of children");
    TTreeNode* Node = AddChild(Parent, Text);
    Node->SetImageIndex(Image);
    Node->SetSelectedIndex(Selected);
    for (int I = 0; I < Children; ++I) {
      if (Reader.EndOfList()) throw EReadError("Invalid tree node: children missing");
      Self(Self, Node);
    }
  };
  Reader.ReadListBegin();
  while (!Reader.EndOfList()) ReadNode(ReadNode, nullptr);
  Reader.ReadListEnd();
}

void TTreeNodes::WriteNodes(TWriter& Writer) {
  auto WriteNode = [&](auto& Self, TTreeNode* Node) -> void {
    Writer.WriteString(Node->Text());
    Writer.WriteInteger(Node->FImageIndex);
    Writer.WriteInteger(Node->FSelectedIndex);
    Writer.WriteInteger(Node->Count());
    for (TTreeNode* Child : Node->FChildren) Self(Self, Child);
  };
  Writer.WriteListBegin();
  for (TTreeNode* Node : FRoots) WriteNode(WriteNode, Node);
  Writer.WriteListEnd();
}

// ---- TCustomTreeView ----------------------------------------------------------------------------

TCustomTreeView::TCustomTreeView(TComponent* AOwner) : TWinControl(AOwner), FItems(TTreeNodes::Create(this)) {
  FControlStyle = TControlStyle{csDoubleClicks};
  StoreBounds(0, 0, 121, 97);
  FParentColor = false;
  SetTabStop(true);
  FImages.OnChange = MakeEvent<&TCustomTreeView::ImagesChanged>(this);
}

void TCustomTreeView::BeforeDestruction() {
  inherited::BeforeDestruction();
  FItems->Free();
  FItems = nullptr;
}

void TCustomTreeView::BeforeDestroyComponents() {
  // Every node is announced as gone while the tree view and its owner are still whole.
  FClosing = true;
  FItems->Clear();
  TWinControl::BeforeDestroyComponents();
}

LRESULT TCustomTreeView::Send(UINT Msg, WPARAM W, LPARAM L) const {
  return SendMessageA(const_cast<TCustomTreeView*>(this)->Handle(), Msg, W, L);
}

void TCustomTreeView::CreateParams(TCreateParams& Params) {
  InitCommonControlClasses(ICC_TREEVIEW_CLASSES);
  TWinControl::CreateParams(Params);
  CreateSubClass(Params, WC_TREEVIEWA);
  Params.Style |= TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT;
  if (!FReadOnly) Params.Style |= TVS_EDITLABELS;
  if (!FHideSelection) Params.Style |= TVS_SHOWSELALWAYS;
  Params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomTreeView::InsertWindowItems(TTreeNode* Node) {
  TVINSERTSTRUCTW Insert{};
  Insert.hParent = Node->FParent ? Node->FParent->FItemId : TVI_ROOT;
  Insert.hInsertAfter = TVI_LAST;
  Insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
  Insert.item.pszText = Node->FText.data();
  Insert.item.iImage = WindowImage(Node->FImageIndex);
  Insert.item.iSelectedImage = WindowImage(Node->FSelectedIndex);
  Insert.item.lParam = reinterpret_cast<LPARAM>(Node);
  Node->FItemId = reinterpret_cast<HTREEITEM>(Send(TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&Insert)));
  for (TTreeNode* Child : Node->FChildren) InsertWindowItems(Child);
}

void TCustomTreeView::CreateWnd() {
  TWinControl::CreateWnd();
  Send(TVM_SETUNICODEFORMAT, TRUE, 0);
  Send(TVM_SETINDENT, static_cast<WPARAM>(FIndent), 0);
  ApplyImages();
  for (TTreeNode* Node : FItems->FRoots) InsertWindowItems(Node);
  // What the last window showed.
  TTreeNode* Chosen = nullptr;
  FItems->ForEachNode([&](TTreeNode* Node) {
    if (Node->FExpanded) Send(TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(Node->FItemId));
    if (Node->FSelected) Chosen = Node;
  });
  if (Chosen) Send(TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(Chosen->FItemId));
}

void TCustomTreeView::DestroyWnd() {
  if (ComponentState().Contains(csDestroying)) {
    FClosing = true;
    FItems->Clear();
  }
  // Keep what the user changed for the next window; the items go with this one.
  FItems->ForEachNode([](TTreeNode* Node) {
    Node->FExpanded = Node->Expanded();
    Node->FSelected = Node->Selected();
  });
  bool WasClosing = FClosing;
  FClosing = true;
  TWinControl::DestroyWnd();
  FClosing = WasClosing;
  FItems->ForEachNode([](TTreeNode* Node) { Node->FItemId = nullptr; });
}

void TCustomTreeView::ApplyImages() {
  if (!HandleAllocated()) return;
  TCustomImageList* List = FImages.Sender();
  Send(TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(List ? List->Handle() : nullptr));
}

void TCustomTreeView::ImagesChanged(TObject*) { ApplyImages(); }

void TCustomTreeView::SetImages(TCustomImageList* Value) {
  if (FImages.Sender() == Value) return;
  if (FImages.Sender()) FImages.Sender()->RemoveFreeNotification(this);
  FImages.SetSender(Value);
  if (Value) Value->FreeNotification(this);
  ApplyImages();
}

void TCustomTreeView::Notification(TComponent* AComponent, TOperation Operation) {
  TWinControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FImages.Sender()) {
    FImages.SetSender(nullptr);
    if (!ComponentState().Contains(csDestroying)) ApplyImages();
  }
}

int TCustomTreeView::Indent() const {
  return HandleAllocated() ? static_cast<int>(Send(TVM_GETINDENT, 0, 0)) : FIndent;
}

void TCustomTreeView::SetIndent(int Value) {
  FIndent = Value;
  if (HandleAllocated()) Send(TVM_SETINDENT, static_cast<WPARAM>(Value), 0);
}

void TCustomTreeView::SetHideSelection(bool Value) {
  if (FHideSelection == Value) return;
  FHideSelection = Value;
  UpdateStyleBits(TVS_SHOWSELALWAYS, 0);
}

void TCustomTreeView::SetReadOnly(bool Value) {
  if (FReadOnly == Value) return;
  FReadOnly = Value;
  UpdateStyleBits(TVS_EDITLABELS, 0);
}

TTreeNode* TCustomTreeView::Selected() const {
  if (HandleAllocated()) {
    auto Item = reinterpret_cast<HTREEITEM>(Send(TVM_GETNEXTITEM, TVGN_CARET, 0));
    if (!Item) return nullptr;
    TVITEMW Info{};
    Info.mask = TVIF_PARAM | TVIF_HANDLE;
    Info.hItem = Item;
    Send(TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&Info));
    return NodeOfParam(Info.lParam);
  }
  TTreeNode* Found = nullptr;
  FItems->ForEachNode([&Found](TTreeNode* Node) {
    if (Node->FSelected && !Found) Found = Node;
  });
  return Found;
}

void TCustomTreeView::SetSelected(TTreeNode* Value) {
  FItems->ForEachNode([Value](TTreeNode* Node) { Node->FSelected = Node == Value; });
  if (!HandleAllocated()) return;
  Send(TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(Value ? Value->FItemId : nullptr));
  if (Value) Send(TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(Value->FItemId));
}

TTreeNode* TCustomTreeView::GetNodeAt(int X, int Y) const {
  if (!HandleAllocated()) return nullptr;
  TVHITTESTINFO Hit{};
  Hit.pt = POINT{X, Y};
  Send(TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&Hit));
  if (!Hit.hItem || !(Hit.flags & TVHT_ONITEM)) return nullptr;
  TVITEMW Info{};
  Info.mask = TVIF_PARAM | TVIF_HANDLE;
  Info.hItem = Hit.hItem;
  Send(TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&Info));
  return NodeOfParam(Info.lParam);
}

bool TCustomTreeView::IsEditing() const { return HandleAllocated() && Send(TVM_GETEDITCONTROL, 0, 0) != 0; }

void TCustomTreeView::SelectNodeAtCursor() {
  POINT P;
  if (!GetCursorPos(&P)) return;
  ::ScreenToClient(Handle(), &P);
  if (TTreeNode* Node = GetNodeAt(P.x, P.y)) SetSelected(Node);
}

void TCustomTreeView::Change(TTreeNode* Node) { OnChange(this, Node); }
void TCustomTreeView::Delete(TTreeNode* Node) { OnDeletion(this, Node); }

bool TCustomTreeView::HandleNotify(TMessage& Message) {
  auto* Header = reinterpret_cast<NMHDR*>(Message.LParam);
  Message.Result = 0;
  switch (Header->code) {
    case TVN_SELCHANGEDA:
    case TVN_SELCHANGEDW: {  // the two forms differ only in the text pointer
      auto* Info = reinterpret_cast<NMTREEVIEWW*>(Message.LParam);
      if (!FClosing) Change(Info->itemNew.hItem ? NodeOfParam(Info->itemNew.lParam) : nullptr);
      return true;
    }
    case TVN_DELETEITEMA:
    case TVN_DELETEITEMW:
      return true;  // the nodes announced their going themselves
    case TVN_BEGINLABELEDITA:
    case TVN_BEGINLABELEDITW: {
      auto* Info = reinterpret_cast<NMTVDISPINFOW*>(Message.LParam);
      bool Allow = !FReadOnly;
      if (TTreeNode* Node = NodeOfParam(Info->item.lParam)) OnEditing(this, Node, Allow);
      Message.Result = Allow ? FALSE : TRUE;
      return true;
    }
    case TVN_ENDLABELEDITW: {
      auto* Info = reinterpret_cast<NMTVDISPINFOW*>(Message.LParam);
      TTreeNode* Node = NodeOfParam(Info->item.lParam);
      if (!Info->item.pszText || !Node) return true;  // cancelled
      std::wstring Typed = Info->item.pszText;
      std::string S = WideToAnsi(Typed), Given = S;
      OnEdited(this, Node, S);
      // The node keeps what was typed unless the handler changed it.
      if (S == Given) Node->SetWideText(Typed);
      else Node->SetText(S);
      return true;
    }
    case TVN_ENDLABELEDITA: {
      auto* Info = reinterpret_cast<NMTVDISPINFOA*>(Message.LParam);
      TTreeNode* Node = NodeOfParam(Info->item.lParam);
      if (!Info->item.pszText || !Node) return true;
      std::string S = Info->item.pszText;
      OnEdited(this, Node, S);
      Node->SetText(S);
      return true;
    }
    case NM_RCLICK:
      if (FRightClickSelect) SelectNodeAtCursor();
      return true;  // 0: the window goes on to WM_CONTEXTMENU
  }
  return false;
}

void TCustomTreeView::Dispatch(TMessage& Message) {
  if (Message.Msg == CN_NOTIFY && HandleNotify(Message)) return;
  TWinControl::Dispatch(Message);
}

// ---- Published members --------------------------------------------------------------------------

VD_DEFINE_CLASS(TTreeNode) {}
VD_DEFINE_CLASS(TTreeNodes) {}
VD_DEFINE_CLASS(TCustomTreeView) {}

VD_DEFINE_CLASS(TTreeView) {
  PublishControl(C, clWindow, false);
  PublishWinControl(C, true);
  PublishKeyEvents(C);
  C.Property("HideSelection", &TTreeView::HideSelection, &TTreeView::SetHideSelection).Default(true);
  C.Property("Images", &TTreeView::Images, &TTreeView::SetImages);
  C.Property("Indent", &TTreeView::Indent, &TTreeView::SetIndent).Default(19);
  C.Property("Items", &TTreeView::Items, &TTreeView::SetItems);
  C.Property("ReadOnly", &TTreeView::ReadOnly, &TTreeView::SetReadOnly).Default(false);
  C.Property("RightClickSelect", &TTreeView::RightClickSelect, &TTreeView::SetRightClickSelect).Default(false);
  C.Property("OnChange", &TTreeView::OnChange, &TTreeView::OnChange);
  C.Property("OnDeletion", &TTreeView::OnDeletion, &TTreeView::OnDeletion);
  C.Property("OnEdited", &TTreeView::OnEdited, &TTreeView::OnEdited);
  C.Property("OnEditing", &TTreeView::OnEditing, &TTreeView::OnEditing);
  C.Property("Caption").Stored(false);
}
