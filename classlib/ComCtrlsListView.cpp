// The list view: columns, items and the SysListView32 window that shows them.
#include <algorithm>

#include "classlib/ComCtrls.h"
#include "classlib/ComCtrlsInternal.h"
#include "classlib/ControlsPublish.h"
#include "classlib/TypInfo.h"

using namespace comctrls_detail;
using namespace controls_publish;

namespace {
// Form resources create these by class name. Registering only records the classes.
struct TListViewRegistration {
  TListViewRegistration() { RegisterClass(ClassOf<TListView>()); }
} const g_ListViewClasses;
}  // namespace

// ---- TListColumn / TListColumns -----------------------------------------------------------------

TListColumns::TListColumns(TCustomListView* AOwner)
    : TOwnedCollection(AOwner, TCollectionItemClass::Of<TListColumn>()), FListView(AOwner) {}

void TListColumns::Update(TCollectionItem* Item) {
  if (!FListView->HasWindow()) return;
  if (Item) FListView->UpdateColumn(Item->Index());
  else FListView->RebuildColumns();
}

TCustomListView* TListColumn::ListView() const {
  auto* Columns = static_cast<TListColumns*>(Collection());
  return Columns ? Columns->Owner() : nullptr;
}

void TListColumn::Assign(TPersistent* Source) {
  auto* Src = dynamic_cast<TListColumn*>(Source);
  if (!Src) {
    inherited::Assign(Source);
    return;
  }
  FCaption = Src->FCaption;
  FWidth = Src->FWidth;
  Changed(false);
}

std::string TListColumn::GetDisplayName() const { return FCaption.empty() ? inherited::GetDisplayName() : FCaption; }

void TListColumn::SetCaption(const std::string& Value) {
  if (FCaption == Value) return;
  FCaption = Value;
  Changed(false);
}

int TListColumn::Width() {
  TCustomListView* LV = ListView();
  if (LV && LV->HasWindow() && Index() < LV->FColumns->Count())
    FWidth = static_cast<int>(LV->Send(LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(Index()), 0));
  return FWidth;
}

void TListColumn::SetWidth(int Value) {
  FWidth = Value;
  if (TCustomListView* LV = ListView(); LV && LV->HasWindow())
    LV->Send(LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(Index()), MAKELPARAM(Value, 0));
}

// ---- TListItem ----------------------------------------------------------------------------------

TListItem::TListItem(TListItems* AOwner) : FOwner(AOwner), FSubItems(TStringList::Create()) {
  FSubItems->OnChange = MakeEvent<&TListItem::SubItemsChanged>(this);
}

TListItem::~TListItem() { FSubItems->Free(); }

TCustomListView* TListItem::ListView() const { return FOwner->Owner(); }

int TListItem::Index() const { return FOwner->IndexOf(this); }

void TListItem::Assign(TPersistent* Source) {
  auto* Src = dynamic_cast<TListItem*>(Source);
  if (!Src) {
    inherited::Assign(Source);
    return;
  }
  SetCaption(Src->FCaption);
  FSubItems->Assign(Src->FSubItems);
  SetImageIndex(Src->FImageIndex);
  FData = Src->FData;
}

void TListItem::SetCaption(const std::string& Value) {
  FCaption = Value;
  if (ListView()->HasWindow()) {
    LVITEMA Item{};
    Item.iSubItem = 0;
    Item.pszText = const_cast<char*>(FCaption.c_str());
    ListView()->Send(LVM_SETITEMTEXTA, static_cast<WPARAM>(Index()), reinterpret_cast<LPARAM>(&Item));
  }
}

void TListItem::SubItemsChanged(TObject*) { UpdateWindowTexts(); }

void TListItem::UpdateWindowTexts() {
  TCustomListView* LV = ListView();
  if (!LV->HasWindow()) return;
  int Columns = std::max(LV->Columns()->Count(), FSubItems->Count() + 1);
  for (int I = 1; I < Columns; ++I) {
    std::string Text = I - 1 < FSubItems->Count() ? FSubItems->Get(I - 1) : std::string();
    LVITEMA Item{};
    Item.iSubItem = I;
    Item.pszText = const_cast<char*>(Text.c_str());
    LV->Send(LVM_SETITEMTEXTA, static_cast<WPARAM>(Index()), reinterpret_cast<LPARAM>(&Item));
  }
}

void TListItem::SetImageIndex(int Value) {
  FImageIndex = Value;
  if (ListView()->HasWindow()) {
    LVITEMA Item{};
    Item.mask = LVIF_IMAGE;
    Item.iItem = Index();
    Item.iImage = WindowImage(Value);
    ListView()->Send(LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&Item));
  }
}

bool TListItem::Selected() const {
  TCustomListView* LV = ListView();
  if (!LV->HasWindow()) return FSelected;
  return LV->Send(LVM_GETITEMSTATE, static_cast<WPARAM>(Index()), LVIS_SELECTED) != 0;
}

void TListItem::SetSelected(bool Value) {
  if (Value) {
    ListView()->SetSelected(this);
    return;
  }
  FSelected = false;
  if (ListView()->HasWindow()) {
    LVITEMA State{};
    State.stateMask = LVIS_SELECTED;
    ListView()->Send(LVM_SETITEMSTATE, static_cast<WPARAM>(Index()), reinterpret_cast<LPARAM>(&State));
  }
}

void TListItem::Delete() { FOwner->Delete(Index()); }

bool TListItem::EditCaption() {
  TCustomListView* LV = ListView();
  if (LV->ReadOnly() || !LV->HasWindow()) return false;
  ::SetFocus(LV->Handle());
  return LV->Send(LVM_EDITLABELA, static_cast<WPARAM>(Index()), 0) != 0;
}

void TListItem::MakeVisible() {
  if (ListView()->HasWindow()) ListView()->Send(LVM_ENSUREVISIBLE, static_cast<WPARAM>(Index()), FALSE);
}

// ---- TListItems ---------------------------------------------------------------------------------

TListItems::~TListItems() {
  for (TListItem* Item : FItems) Item->Free();
}

void TListItems::Assign(TPersistent* Source) {
  auto* Src = dynamic_cast<TListItems*>(Source);
  if (!Src) {
    inherited::Assign(Source);
    return;
  }
  if (Src == this) return;
  BeginUpdate();
  try {
    Clear();
    for (TListItem* Item : Src->FItems) Add()->Assign(Item);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

TListItem* TListItems::Item(int Index) const {
  if (Index < 0 || Index >= Count()) throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  return FItems[static_cast<size_t>(Index)];
}

int TListItems::IndexOf(const TListItem* Item) const {
  auto It = std::find(FItems.begin(), FItems.end(), Item);
  return It == FItems.end() ? -1 : static_cast<int>(It - FItems.begin());
}

TListItem* TListItems::Insert(int Index) {
  Index = std::clamp(Index, 0, Count());
  TListItem* Item = TListItem::Create(this);
  FItems.insert(FItems.begin() + Index, Item);
  if (FOwner->HasWindow()) FOwner->InsertWindowItem(Item, Index);
  return Item;
}

void TListItems::Delete(int Index) {
  TListItem* Item = this->Item(Index);
  FItems.erase(FItems.begin() + Index);
  if (FOwner->HasWindow()) FOwner->Send(LVM_DELETEITEM, static_cast<WPARAM>(Index), 0);
  Item->Free();
}

void TListItems::Clear() {
  std::vector<TListItem*> Items;
  Items.swap(FItems);
  if (FOwner->HasWindow()) FOwner->Send(LVM_DELETEALLITEMS, 0, 0);
  for (TListItem* Item : Items) Item->Free();
}

void TListItems::BeginUpdate() {
  if (FUpdateCount++ == 0 && FOwner->HasWindow()) FOwner->Send(WM_SETREDRAW, FALSE, 0);
}

void TListItems::EndUpdate() {
  if (FUpdateCount == 0 || --FUpdateCount > 0 || !FOwner->HasWindow()) return;
  FOwner->Send(WM_SETREDRAW, TRUE, 0);
  FOwner->Invalidate();
}

// ---- TCustomListView ----------------------------------------------------------------------------

TCustomListView::TCustomListView(TComponent* AOwner)
    : TWinControl(AOwner), FColumns(TListColumns::Create(this)), FItems(TListItems::Create(this)) {
  FControlStyle = TControlStyle{csDoubleClicks};
  StoreBounds(0, 0, 250, 150);
  FParentColor = false;
  SetTabStop(true);
  FLargeImages.OnChange = MakeEvent<&TCustomListView::ImagesChanged>(this);
  FSmallImages.OnChange = MakeEvent<&TCustomListView::ImagesChanged>(this);
}

void TCustomListView::BeforeDestruction() {
  inherited::BeforeDestruction();
  FItems->Free();
  FItems = nullptr;
  FColumns->Free();
  FColumns = nullptr;
}

LRESULT TCustomListView::Send(UINT Msg, WPARAM W, LPARAM L) const {
  return SendMessageA(const_cast<TCustomListView*>(this)->Handle(), Msg, W, L);
}

void TCustomListView::CreateParams(TCreateParams& Params) {
  InitCommonControlClasses(ICC_LISTVIEW_CLASSES);
  TWinControl::CreateParams(Params);
  CreateSubClass(Params, WC_LISTVIEWA);
  static constexpr DWORD kViews[] = {LVS_ICON, LVS_SMALLICON, LVS_LIST, LVS_REPORT};
  // The image lists are the program's: the window must not destroy them.
  Params.Style |= kViews[FViewStyle] | LVS_SINGLESEL | LVS_SHAREIMAGELISTS | LVS_AUTOARRANGE;
  if (!FColumnClick) Params.Style |= LVS_NOSORTHEADER;
  if (!FReadOnly) Params.Style |= LVS_EDITLABELS;
  if (!FHideSelection) Params.Style |= LVS_SHOWSELALWAYS;
  Params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomListView::CreateWnd() {
  TWinControl::CreateWnd();
  ApplyExtendedStyle();
  ApplyImages();
  RebuildColumns();
  for (int I = 0; I < FItems->Count(); ++I) InsertWindowItem(FItems->FItems[static_cast<size_t>(I)], I);
}

void TCustomListView::DestroyWnd() {
  // What the user changed lives in the window: keep it for the next one.
  for (TListItem* Item : FItems->FItems) Item->FSelected = Item->Selected();
  for (int I = 0; I < FColumns->Count(); ++I) FColumns->Items(I)->Width();
  TWinControl::DestroyWnd();
}

void TCustomListView::ApplyExtendedStyle() {
  if (!HasWindow()) return;
  Send(LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, FRowSelect ? LVS_EX_FULLROWSELECT : 0);
}

void TCustomListView::ApplyImages() {
  if (!HasWindow()) return;
  TCustomImageList* Large = FLargeImages.Sender();
  TCustomImageList* Small = FSmallImages.Sender();
  Send(LVM_SETIMAGELIST, LVSIL_NORMAL, reinterpret_cast<LPARAM>(Large ? Large->Handle() : nullptr));
  Send(LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(Small ? Small->Handle() : nullptr));
}

void TCustomListView::ImagesChanged(TObject*) { ApplyImages(); }

void TCustomListView::SetImageList(TChangeLink& Link, TCustomImageList* Value) {
  if (Link.Sender() == Value) return;
  if (Link.Sender()) Link.Sender()->RemoveFreeNotification(this);
  Link.SetSender(Value);
  if (Value) Value->FreeNotification(this);
  ApplyImages();
}

void TCustomListView::SetLargeImages(TCustomImageList* Value) { SetImageList(FLargeImages, Value); }
void TCustomListView::SetSmallImages(TCustomImageList* Value) { SetImageList(FSmallImages, Value); }

void TCustomListView::Notification(TComponent* AComponent, TOperation Operation) {
  TWinControl::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  for (TChangeLink* Link : {&FLargeImages, &FSmallImages})
    if (AComponent == Link->Sender()) {
      Link->SetSender(nullptr);
      if (!ComponentState().Contains(csDestroying)) ApplyImages();
    }
}

void TCustomListView::RebuildColumns() {
  if (!HasWindow()) return;
  while (Send(LVM_DELETECOLUMN, 0, 0)) {
  }
  for (int I = 0; I < FColumns->Count(); ++I) {
    TListColumn* Column = FColumns->Items(I);
    LVCOLUMNA Info{};
    Info.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    Info.pszText = const_cast<char*>(Column->Caption().c_str());
    Info.cx = Column->FWidth;
    Info.iSubItem = I;
    Send(LVM_INSERTCOLUMNA, static_cast<WPARAM>(I), reinterpret_cast<LPARAM>(&Info));
  }
  for (TListItem* Item : FItems->FItems) Item->UpdateWindowTexts();
}

void TCustomListView::UpdateColumn(int Index) {
  TListColumn* Column = FColumns->Items(Index);
  LVCOLUMNA Info{};
  Info.mask = LVCF_TEXT | LVCF_WIDTH;
  Info.pszText = const_cast<char*>(Column->Caption().c_str());
  Info.cx = Column->FWidth;
  Send(LVM_SETCOLUMNA, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(&Info));
}

void TCustomListView::InsertWindowItem(TListItem* Item, int Index) {
  LVITEMA Info{};
  Info.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM | LVIF_STATE;
  Info.iItem = Index;
  Info.pszText = const_cast<char*>(Item->FCaption.c_str());
  Info.iImage = WindowImage(Item->FImageIndex);
  Info.lParam = reinterpret_cast<LPARAM>(Item);
  Info.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  Info.state = Item->FSelected ? LVIS_SELECTED | LVIS_FOCUSED : 0;
  Send(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&Info));
  Item->UpdateWindowTexts();
}

TListItem* TCustomListView::Selected() const {
  if (HasWindow()) {
    auto Index = static_cast<int>(Send(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    return Index >= 0 && Index < FItems->Count() ? FItems->Item(Index) : nullptr;
  }
  for (TListItem* Item : FItems->FItems)
    if (Item->FSelected) return Item;
  return nullptr;
}

void TCustomListView::SetSelected(TListItem* Value) {
  for (TListItem* Item : FItems->FItems) Item->FSelected = Item == Value;
  if (!HasWindow()) return;
  LVITEMA None{};
  None.stateMask = LVIS_SELECTED;
  Send(LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&None));
  if (!Value) return;
  LVITEMA State{};
  State.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  State.state = LVIS_SELECTED | LVIS_FOCUSED;
  Send(LVM_SETITEMSTATE, static_cast<WPARAM>(Value->Index()), reinterpret_cast<LPARAM>(&State));
  Value->MakeVisible();
}

int TCustomListView::ItemIndex() const {
  TListItem* Item = Selected();
  return Item ? Item->Index() : -1;
}

void TCustomListView::SetItemIndex(int Value) {
  SetSelected(Value >= 0 && Value < FItems->Count() ? FItems->Item(Value) : nullptr);
}

bool TCustomListView::IsEditing() const { return HasWindow() && Send(LVM_GETEDITCONTROL, 0, 0) != 0; }

void TCustomListView::SetViewStyle(TViewStyle Value) {
  if (FViewStyle == Value) return;
  FViewStyle = Value;
  UpdateStyleBits(LVS_TYPEMASK, 0);
}

void TCustomListView::SetRowSelect(bool Value) {
  if (FRowSelect == Value) return;
  FRowSelect = Value;
  ApplyExtendedStyle();
}

void TCustomListView::SetColumnClick(bool Value) {
  if (FColumnClick == Value) return;
  FColumnClick = Value;
  RecreateWnd();  // the header takes its style when it is made
}

void TCustomListView::SetReadOnly(bool Value) {
  if (FReadOnly == Value) return;
  FReadOnly = Value;
  UpdateStyleBits(LVS_EDITLABELS, 0);
}

void TCustomListView::SetHideSelection(bool Value) {
  if (FHideSelection == Value) return;
  FHideSelection = Value;
  UpdateStyleBits(LVS_SHOWSELALWAYS, 0);
}

bool TCustomListView::HandleNotify(TMessage& Message) {
  auto* Header = reinterpret_cast<NMHDR*>(Message.LParam);
  switch (Header->code) {
    case LVN_BEGINLABELEDITA:
    case LVN_BEGINLABELEDITW: {
      auto* Info = reinterpret_cast<NMLVDISPINFOA*>(Message.LParam);
      bool Allow = !FReadOnly;
      if (Info->item.iItem >= 0 && Info->item.iItem < FItems->Count())
        OnEditing(this, FItems->Item(Info->item.iItem), Allow);
      Message.Result = Allow ? FALSE : TRUE;
      return true;
    }
    case LVN_ENDLABELEDITA: {
      auto* Info = reinterpret_cast<NMLVDISPINFOA*>(Message.LParam);
      Message.Result = FALSE;  // the item sets its own caption
      if (!Info->item.pszText || Info->item.iItem < 0 || Info->item.iItem >= FItems->Count()) return true;
      TListItem* Item = FItems->Item(Info->item.iItem);
      std::string S = Info->item.pszText;
      OnEdited(this, Item, S);
      Item->SetCaption(S);
      return true;
    }
  }
  return false;
}

void TCustomListView::Dispatch(TMessage& Message) {
  if (Message.Msg == CN_NOTIFY && HandleNotify(Message)) return;
  TWinControl::Dispatch(Message);
}

// ---- Published members --------------------------------------------------------------------------

VD_DEFINE_CLASS(TListColumn) {
  C.Property("Caption", &TListColumn::Caption, &TListColumn::SetCaption);
  C.Property("Width", &TListColumn::Width, &TListColumn::SetWidth).Default(50);
}

VD_DEFINE_CLASS(TListColumns) {}
VD_DEFINE_CLASS(TListItem) {}
VD_DEFINE_CLASS(TListItems) {}
VD_DEFINE_CLASS(TCustomListView) {}

VD_DEFINE_CLASS(TListView) {
  PublishControl(C, clWindow, false);
  PublishWinControl(C, true);
  PublishKeyEvents(C);
  C.Property("ColumnClick", &TListView::ColumnClick, &TListView::SetColumnClick).Default(true);
  C.Property("Columns", &TListView::Columns, &TListView::SetColumns);
  C.Property("HideSelection", &TListView::HideSelection, &TListView::SetHideSelection).Default(true);
  C.Property("LargeImages", &TListView::LargeImages, &TListView::SetLargeImages);
  C.Property("ReadOnly", &TListView::ReadOnly, &TListView::SetReadOnly).Default(false);
  C.Property("RowSelect", &TListView::RowSelect, &TListView::SetRowSelect).Default(false);
  C.Property("SmallImages", &TListView::SmallImages, &TListView::SetSmallImages);
  C.Property("ViewStyle", &TListView::ViewStyle, &TListView::SetViewStyle).Default(vsIcon);
  C.Property("OnEdited", &TListView::OnEdited, &TListView::OnEdited);
  C.Property("OnEditing", &TListView::OnEditing, &TListView::OnEditing);
  C.Property("Caption").Stored(false);
}
