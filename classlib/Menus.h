// Menus: items, the menu bar of a form and popup menus.
//
// Every item has a command identifier of its own, drawn from a process-wide pool that keeps
// clear of the identifiers other code of this system uses in the same menus (5734 to 8999,
// 13666/13667, and the system commands from 0xF000). An item with sub-items, and the root item of
// every menu, has a menu handle that stays the same for the item's life: changes rebuild its
// entries in place, so the handle can be lent as a submenu elsewhere (a system menu).
//
// An item shows image ImageIndex of the image list that its parent item names as SubMenuImages
// (the nearest such parent), else of the menu's Images; -1 shows none. Popup menus draw the images
// themselves (HBMMENU_CALLBACK) when they are tracked.
#pragma once

#include <windows.h>

#include <vector>

#include "classlib/Classes.h"
#include "classlib/WndProcs.h"

class TMenu;
class TCustomImageList;

class TMenuItem : public TComponent {
  VD_CLASS(TMenuItem, TComponent);

public:
  explicit TMenuItem(TComponent* AOwner);
  void BeforeDestruction() override;

  const std::string& Caption() const noexcept { return FCaption; }  // "-": a separator
  void SetCaption(const std::string& Value);
  bool Checked() const noexcept { return FChecked; }
  void SetChecked(bool Value);
  bool Enabled() const noexcept { return FEnabled; }
  void SetEnabled(bool Value);
  bool Visible() const noexcept { return FVisible; }
  void SetVisible(bool Value);
  // Shown in bold; a tray icon's double click clicks it.
  bool Default() const noexcept { return FDefault; }
  void SetDefault(bool Value);
  bool RadioItem() const noexcept { return FRadioItem; }
  void SetRadioItem(bool Value);
  uint8_t GroupIndex() const noexcept { return FGroupIndex; }
  void SetGroupIndex(uint8_t Value) { FGroupIndex = Value; }
  const std::string& Hint() const noexcept { return FHint; }
  void SetHint(const std::string& Value) { FHint = Value; }
  bool IsLine() const { return FCaption == "-"; }
  int ImageIndex() const noexcept { return FImageIndex; }
  void SetImageIndex(int Value);
  // The images of this item's sub-items (not owned; nil: the parent's or the menu's).
  TCustomImageList* SubMenuImages() const noexcept { return FSubMenuImages; }
  void SetSubMenuImages(TCustomImageList* Value);
  // The list this item's ImageIndex refers to (nil when none).
  TCustomImageList* GetImageList() const;
  // The image's place and picture in an owner-drawn menu bitmap (WM_MEASUREITEM / WM_DRAWITEM).
  void MeasureImage(MEASUREITEMSTRUCT& Measure) const;
  void DrawImage(const DRAWITEMSTRUCT& Draw) const;

  int Count() const noexcept { return static_cast<int>(FItems.size()); }
  TMenuItem* Items(int Index) const;
  TMenuItem* operator[](int Index) const { return Items(Index); }
  void Add(TMenuItem* Item);
  void Insert(int Index, TMenuItem* Item);
  void Delete(int Index);  // takes the item out without freeing it
  void Remove(TMenuItem* Item);
  int IndexOf(const TMenuItem* Item) const;
  // Frees every sub-item.
  void Clear();
  TMenuItem* Parent() const noexcept { return FParent; }
  int MenuIndex() const { return FParent ? FParent->IndexOf(this) : -1; }
  // The item or sub-item with command Command, nil when none.
  TMenuItem* Find(UINT Command);

  UINT Command() const noexcept { return FCommand; }
  // The handle of the popup menu holding the sub-items (made on first use).
  HMENU Handle();
  bool HandleAllocated() const noexcept { return FHandle != nullptr; }

  // OnClick (the sender is the item).
  virtual void Click();
  TNotifyEvent OnClick;

  TComponent* GetParentComponent() const override;

protected:
  void SetParentComponent(TComponent* Value) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  virtual HMENU CreateMenuHandle() { return CreatePopupMenu(); }
  // Rebuilds the entries of this item's menu (and tells the parent that this item changed).
  void MenuChanged(bool Rebuild);
  void RebuildHandle();

private:
  friend class TMenu;
  friend class TMainMenu;
  void AppendTo(HMENU Menu);
  void DestroyHandle();
  bool HasImage() const;

  std::string FCaption;
  bool FChecked = false;
  bool FEnabled = true;
  bool FVisible = true;
  bool FDefault = false;
  bool FRadioItem = false;
  uint8_t FGroupIndex = 0;
  std::string FHint;
  int FImageIndex = -1;
  TCustomImageList* FSubMenuImages = nullptr;
  UINT FCommand;
  HMENU FHandle = nullptr;
  bool FMainMenu = false;  // the root of a menu bar: CreateMenu
  TMenuItem* FParent = nullptr;
  TMenu* FMenu = nullptr;  // set on a menu's root item
  std::vector<TMenuItem*> FItems;
};

class TMenu : public TComponent {
  VD_CLASS(TMenu, TComponent);

public:
  explicit TMenu(TComponent* AOwner);
  void BeforeDestruction() override;

  // The root item; its sub-items are the menu's entries. Owned by the menu.
  TMenuItem* Items() const noexcept { return FItems; }
  HMENU Handle() { return FItems->Handle(); }
  // Clicks the item with Command; false when the menu has none.
  bool DispatchCommand(UINT Command);
  TMenuItem* FindItem(UINT Command) { return FItems->Find(Command); }
  // The images of the items (not owned; nil: none).
  TCustomImageList* Images() const noexcept { return FImages; }
  void SetImages(TCustomImageList* Value);

protected:
  TComponent* GetChildParent() override { return this; }
  void Notification(TComponent* AComponent, TOperation Operation) override;
  TMenuItem* FItems;

private:
  TCustomImageList* FImages = nullptr;
};

class TMainMenu : public TMenu {
  VD_CLASS(TMainMenu, TMenu);

public:
  explicit TMainMenu(TComponent* AOwner);
};

enum TPopupAlignment { paLeft, paRight, paCenter };
VD_ENUM_INFO(TPopupAlignment, "paLeft", "paRight", "paCenter")

class TPopupMenu : public TMenu {
  VD_CLASS(TPopupMenu, TMenu);

public:
  explicit TPopupMenu(TComponent* AOwner);
  void BeforeDestruction() override;

  // OnPopup, then the menu at the screen point (through UIServices().TrackPopupMenu); returns
  // when it closes, after the chosen item (if any) was clicked.
  virtual void Popup(int X, int Y);
  // The control whose context menu opened it (set by controls; not owned).
  TComponent* PopupComponent() const noexcept { return FPopupComponent; }
  void SetPopupComponent(TComponent* Value) { FPopupComponent = Value; }
  bool AutoPopup() const noexcept { return FAutoPopup; }
  void SetAutoPopup(bool Value) { FAutoPopup = Value; }
  TPopupAlignment Alignment() const noexcept { return FAlignment; }
  void SetAlignment(TPopupAlignment Value) { FAlignment = Value; }

  TNotifyEvent OnPopup;

protected:
  friend class TUIServices;
  virtual void DoPopup(TObject* Sender);
  // The system's tracking of the menu (what the default services run); the item chosen or nil.
  TMenuItem* TrackMenu(int X, int Y);

private:
  void WndProc(TMessage& Message);
  HWND FWindow = nullptr;  // owner of the tracking, made on the thread of the first Popup
  TComponent* FPopupComponent = nullptr;
  bool FAutoPopup = true;
  TPopupAlignment FAlignment = paLeft;
};

namespace menus_detail {
// The command identifiers handed out and not yet given back (diagnostics and tests).
int CommandsInUse();
}  // namespace menus_detail
