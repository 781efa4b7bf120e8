#include "classlib/Menus.h"

#include <algorithm>
#include <deque>
#include <mutex>

#include "classlib/ImgList.h"
#include "classlib/ModuleRuntime.h"
#include "classlib/TypInfo.h"
#include "classlib/UIServices.h"

namespace {
// Command identifiers: 0x4000 .. 0xEFFF keeps clear of 5734..8999, 13666/13667 and the system
// commands (0xF000 and up). Freed identifiers are reused oldest first.
constexpr UINT kFirstCommand = 0x4000;
constexpr UINT kLastCommand = 0xEFFF;

struct TCommandPool {
  TCriticalSection Lock;
  UINT Next = kFirstCommand;
  std::deque<UINT> Free;
  int InUse = 0;
};

TCommandPool& Commands() {
  static TCommandPool* const Pool = [] {
    AtModuleRelease([] { delete &Commands(); });
    return new TCommandPool;
  }();
  return *Pool;
}

UINT AllocateCommand() {
  auto& P = Commands();
  std::lock_guard Guard(P.Lock);
  UINT Command;
  if (!P.Free.empty()) {
    Command = P.Free.front();
    P.Free.pop_front();
  } else if (P.Next <= kLastCommand) {
    Command = P.Next++;
  } else {
    throw EOutOfResources("Too many menu items");
  }
  ++P.InUse;
  return Command;
}

void ReleaseCommand(UINT Command) {
  if (!Command) return;
  auto& P = Commands();
  std::lock_guard Guard(P.Lock);
  P.Free.push_back(Command);
  --P.InUse;
}
}  // namespace

namespace {
// Form resources create these by class name. Registering only records the classes.
struct TMenusRegistration {
  TMenusRegistration() {
    RegisterClasses({ClassOf<TMenuItem>(), ClassOf<TMainMenu>(), ClassOf<TPopupMenu>()});
  }
} const g_MenusClasses;
}  // namespace

namespace menus_detail {
int CommandsInUse() {
  auto& P = Commands();
  std::lock_guard Guard(P.Lock);
  return P.InUse;
}
}  // namespace menus_detail

// ---- TMenuItem ----------------------------------------------------------------------------------

TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(AOwner), FCommand(AllocateCommand()) {}

void TMenuItem::BeforeDestruction() {
  if (FParent) FParent->Remove(this);
  Clear();
  DestroyHandle();
  ReleaseCommand(FCommand);
  FCommand = 0;
  inherited::BeforeDestruction();
}

TMenuItem* TMenuItem::Items(int Index) const {
  if (Index < 0 || Index >= Count())
    throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  return FItems[static_cast<size_t>(Index)];
}

int TMenuItem::IndexOf(const TMenuItem* Item) const {
  auto It = std::find(FItems.begin(), FItems.end(), Item);
  return It == FItems.end() ? -1 : static_cast<int>(It - FItems.begin());
}

void TMenuItem::Add(TMenuItem* Item) { Insert(Count(), Item); }

void TMenuItem::Insert(int Index, TMenuItem* Item) {
  if (!Item || Item == this || Item->FParent == this) return;
  if (Item->FParent) Item->FParent->Remove(Item);
  Index = std::clamp(Index, 0, Count());
  FItems.insert(FItems.begin() + Index, Item);
  Item->FParent = this;
  MenuChanged(true);
}

void TMenuItem::Delete(int Index) {
  TMenuItem* Item = Items(Index);
  FItems.erase(FItems.begin() + Index);
  Item->FParent = nullptr;
  MenuChanged(true);
}

void TMenuItem::Remove(TMenuItem* Item) {
  int Index = IndexOf(Item);
  if (Index >= 0) Delete(Index);
}

void TMenuItem::Clear() {
  while (!FItems.empty()) {
    TMenuItem* Last = FItems.back();
    Last->Free();  // takes itself out
    if (!FItems.empty() && FItems.back() == Last) FItems.pop_back();
  }
}

TMenuItem* TMenuItem::Find(UINT Command) {
  if (FCommand == Command) return this;
  for (TMenuItem* Item : FItems)
    if (TMenuItem* Found = Item->Find(Command)) return Found;
  return nullptr;
}

HMENU TMenuItem::Handle() {
  // A handle that Windows destroyed (with a window that held it as a submenu) is made again.
  if (FHandle && !IsMenu(FHandle)) FHandle = nullptr;
  if (!FHandle) {
    FHandle = FMainMenu ? CreateMenu() : CreateMenuHandle();
    if (!FHandle) throw EOutOfResources("Cannot create a menu");
    RebuildHandle();
  }
  return FHandle;
}

void TMenuItem::DestroyHandle() {
  if (!FHandle) return;
  if (IsMenu(FHandle)) {
    // Sub-items' menus are theirs: take them out so DestroyMenu leaves them alone.
    while (GetMenuItemCount(FHandle) > 0) RemoveMenu(FHandle, 0, MF_BYPOSITION);
    DestroyMenu(FHandle);
  }
  FHandle = nullptr;
}

void TMenuItem::AppendTo(HMENU Menu) {
  MENUITEMINFOA Info{};
  Info.cbSize = sizeof Info;
  Info.fMask = MIIM_ID | MIIM_STATE | MIIM_TYPE;
  Info.wID = FCommand;
  if (IsLine()) {
    Info.fType = MFT_SEPARATOR;
  } else {
    Info.fType = MFT_STRING | (FRadioItem ? MFT_RADIOCHECK : 0);
    Info.dwTypeData = const_cast<char*>(FCaption.c_str());
    Info.cch = static_cast<UINT>(FCaption.size());
  }
  Info.fState = (FChecked ? MFS_CHECKED : 0) | (FEnabled ? 0 : MFS_GRAYED) | (FDefault ? MFS_DEFAULT : 0);
  if (!FItems.empty()) {
    Info.fMask |= MIIM_SUBMENU;
    Info.hSubMenu = Handle();
  }
  InsertMenuItemA(Menu, static_cast<UINT>(GetMenuItemCount(Menu)), TRUE, &Info);
  if (HasImage()) {
    MENUITEMINFOA Bitmap{};
    Bitmap.cbSize = sizeof Bitmap;
    Bitmap.fMask = MIIM_BITMAP;
    Bitmap.hbmpItem = HBMMENU_CALLBACK;  // drawn by the tracking window: MeasureImage, DrawImage
    SetMenuItemInfoA(Menu, FCommand, FALSE, &Bitmap);
  }
}

bool TMenuItem::HasImage() const { return FImageIndex >= 0 && !IsLine() && GetImageList(); }

TCustomImageList* TMenuItem::GetImageList() const {
  for (TMenuItem* P = FParent; P; P = P->FParent) {
    if (P->FSubMenuImages) return P->FSubMenuImages;
    if (P->FMenu) return P->FMenu->Images();
  }
  return nullptr;
}

void TMenuItem::MeasureImage(MEASUREITEMSTRUCT& Measure) const {
  if (TCustomImageList* List = GetImageList()) {
    Measure.itemWidth = static_cast<UINT>(List->Width());
    Measure.itemHeight = static_cast<UINT>(List->Height());
  }
}

void TMenuItem::DrawImage(const DRAWITEMSTRUCT& Draw) const {
  TCustomImageList* List = GetImageList();
  if (!List || FImageIndex < 0 || FImageIndex >= List->Count()) return;
  const RECT& R = Draw.rcItem;
  int X = R.left + (R.right - R.left - List->Width()) / 2;
  int Y = R.top + (R.bottom - R.top - List->Height()) / 2;
  ImageList_Draw(List->Handle(), FImageIndex, Draw.hDC, X, Y, ILD_TRANSPARENT);
}

void TMenuItem::SetImageIndex(int Value) {
  if (FImageIndex == Value) return;
  FImageIndex = Value;
  MenuChanged(false);
}

void TMenuItem::SetSubMenuImages(TCustomImageList* Value) {
  if (FSubMenuImages == Value) return;
  if (FSubMenuImages) FSubMenuImages->RemoveFreeNotification(this);
  FSubMenuImages = Value;
  if (Value) Value->FreeNotification(this);
  MenuChanged(true);
}

void TMenuItem::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FSubMenuImages) {
    FSubMenuImages = nullptr;
    if (!ComponentState().Contains(csDestroying)) MenuChanged(true);
  }
}

void TMenuItem::RebuildHandle() {
  if (!FHandle || !IsMenu(FHandle)) return;
  while (GetMenuItemCount(FHandle) > 0) RemoveMenu(FHandle, 0, MF_BYPOSITION);
  for (TMenuItem* Item : FItems)
    if (Item->FVisible) Item->AppendTo(FHandle);
}

void TMenuItem::MenuChanged(bool Rebuild) {
  if (Rebuild) RebuildHandle();
  if (FParent) FParent->RebuildHandle();
}

void TMenuItem::SetCaption(const std::string& Value) {
  if (FCaption == Value) return;
  FCaption = Value;
  MenuChanged(false);
}

void TMenuItem::SetChecked(bool Value) {
  if (FChecked == Value) return;
  FChecked = Value;
  MenuChanged(false);
}

void TMenuItem::SetEnabled(bool Value) {
  if (FEnabled == Value) return;
  FEnabled = Value;
  MenuChanged(false);
}

void TMenuItem::SetVisible(bool Value) {
  if (FVisible == Value) return;
  FVisible = Value;
  MenuChanged(false);
}

void TMenuItem::SetDefault(bool Value) {
  if (FDefault == Value) return;
  FDefault = Value;
  MenuChanged(false);
}

void TMenuItem::SetRadioItem(bool Value) {
  if (FRadioItem == Value) return;
  FRadioItem = Value;
  MenuChanged(false);
}

void TMenuItem::Click() { OnClick(this); }

TComponent* TMenuItem::GetParentComponent() const {
  if (!FParent) return nullptr;
  if (FParent->FMenu) return FParent->FMenu;
  return FParent;
}

void TMenuItem::SetParentComponent(TComponent* Value) {
  if (auto* Menu = dynamic_cast<TMenu*>(Value)) Menu->Items()->Add(this);
  else if (auto* Item = dynamic_cast<TMenuItem*>(Value)) Item->Add(this);
}

// ---- TMenu --------------------------------------------------------------------------------------

TMenu::TMenu(TComponent* AOwner) : TComponent(AOwner), FItems(TMenuItem::Create(nullptr)) {
  FItems->FMenu = this;
}

void TMenu::BeforeDestruction() {
  FItems->Free();
  FItems = nullptr;
  inherited::BeforeDestruction();
}

void TMenu::SetImages(TCustomImageList* Value) {
  if (FImages == Value) return;
  if (FImages) FImages->RemoveFreeNotification(this);
  FImages = Value;
  if (Value) Value->FreeNotification(this);
  if (FItems) FItems->MenuChanged(true);
}

void TMenu::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FImages) {
    FImages = nullptr;
    if (FItems && !ComponentState().Contains(csDestroying)) FItems->MenuChanged(true);
  }
}

bool TMenu::DispatchCommand(UINT Command) {
  TMenuItem* Item = FItems ? FItems->Find(Command) : nullptr;
  if (!Item || Item == FItems) return false;
  Item->Click();
  return true;
}

TMainMenu::TMainMenu(TComponent* AOwner) : TMenu(AOwner) { FItems->FMainMenu = true; }

// ---- TPopupMenu ---------------------------------------------------------------------------------

TPopupMenu::TPopupMenu(TComponent* AOwner) : TMenu(AOwner) {}

void TPopupMenu::BeforeDestruction() {
  DeallocateHWnd(FWindow);
  FWindow = nullptr;
  inherited::BeforeDestruction();
}

void TPopupMenu::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_MEASUREITEM: {
      auto* Measure = reinterpret_cast<MEASUREITEMSTRUCT*>(Message.LParam);
      if (Measure->CtlType != ODT_MENU) break;
      if (TMenuItem* Item = FindItem(Measure->itemID)) Item->MeasureImage(*Measure);
      Message.Result = TRUE;
      return;
    }
    case WM_DRAWITEM: {
      auto* Draw = reinterpret_cast<DRAWITEMSTRUCT*>(Message.LParam);
      if (Draw->CtlType != ODT_MENU) break;
      if (TMenuItem* Item = FindItem(Draw->itemID)) Item->DrawImage(*Draw);
      Message.Result = TRUE;
      return;
    }
  }
  Message.Result = DefWindowProcA(MessageWindow(), Message.Msg, Message.WParam, Message.LParam);
}

void TPopupMenu::DoPopup(TObject* Sender) { OnPopup(Sender); }

void TPopupMenu::Popup(int X, int Y) {
  DoPopup(this);
  if (TMenuItem* Chosen = UIServices().TrackPopupMenu(*this, X, Y)) Chosen->Click();
}

TMenuItem* TPopupMenu::TrackMenu(int X, int Y) {
  // The tracking needs a window of this thread; it also draws the items' images.
  HWND Owner = FWindow;
  HWND Temporary = nullptr;
  if (!Owner) {
    Owner = FWindow = AllocateHWnd(TWndMethod::Bind<&TPopupMenu::WndProc>(this));
  } else if (GetWindowThreadProcessId(Owner, nullptr) != GetCurrentThreadId()) {
    Owner = Temporary = AllocateHWnd(TWndMethod::Bind<&TPopupMenu::WndProc>(this));
  }
  UINT Flags = TPM_RIGHTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY |
               (FAlignment == paRight ? TPM_RIGHTALIGN : FAlignment == paCenter ? TPM_CENTERALIGN : TPM_LEFTALIGN);
  auto Command = static_cast<UINT>(TrackPopupMenu(Handle(), Flags, X, Y, 0, Owner, nullptr));
  PostMessageA(Owner, WM_NULL, 0, 0);  // lets the menu close when the owner is not in front
  if (Temporary) DeallocateHWnd(Temporary);
  TMenuItem* Chosen = Command ? FindItem(Command) : nullptr;
  return Chosen == FItems ? nullptr : Chosen;
}

// ---- Published members --------------------------------------------------------------------------

VD_DEFINE_CLASS(TMenuItem) {
  C.Property("Caption", &TMenuItem::Caption, &TMenuItem::SetCaption);
  C.Property("Checked", &TMenuItem::Checked, &TMenuItem::SetChecked).Default(false);
  C.Property("Default", &TMenuItem::Default, &TMenuItem::SetDefault).Default(false);
  C.Property("Enabled", &TMenuItem::Enabled, &TMenuItem::SetEnabled).Default(true);
  C.Property("GroupIndex", &TMenuItem::GroupIndex, &TMenuItem::SetGroupIndex).Default(0);
  C.Property("Hint", &TMenuItem::Hint, &TMenuItem::SetHint);
  C.Property("ImageIndex", &TMenuItem::ImageIndex, &TMenuItem::SetImageIndex).Default(-1);
  C.Property("RadioItem", &TMenuItem::RadioItem, &TMenuItem::SetRadioItem).Default(false);
  C.Property("SubMenuImages", &TMenuItem::SubMenuImages, &TMenuItem::SetSubMenuImages);
  C.Property("Visible", &TMenuItem::Visible, &TMenuItem::SetVisible).Default(true);
  C.Property("OnClick", &TMenuItem::OnClick, &TMenuItem::OnClick);
}

VD_DEFINE_CLASS(TMenu) {}
VD_DEFINE_CLASS(TMainMenu) {}

VD_DEFINE_CLASS(TPopupMenu) {
  C.Property("Alignment", &TPopupMenu::Alignment, &TPopupMenu::SetAlignment).Default(paLeft);
  C.Property("AutoPopup", &TPopupMenu::AutoPopup, &TPopupMenu::SetAutoPopup).Default(true);
  C.Property("Images", &TPopupMenu::Images, &TPopupMenu::SetImages);
  C.Property("OnPopup", &TPopupMenu::OnPopup, &TPopupMenu::OnPopup);
}
