// The property-sheet extension: a shell object (IShellPropSheetExt) that adds one page to the
// shell's Properties dialog for each of its PropertySheets lines, fills each page with a page form
// (NxPropertySheetForm) found by class name, and hands the page notifications to the form and to
// its own events. Extra-page providers may append pages of their own. Registration writes the
// handler key under the file type and the shell's Approved value.
//
// PropertySheets line: <page-form class>[<index>]=<caption>,<icon index>
//   "TNxShellPropSheetForm1[0]=Script Info,0"
// The bracketed index only keeps the names of the lines apart; a line's value is looked up by its
// name, so two lines of the same name both get the first one's caption and icon. A line whose class
// is not registered, or that has no "=", makes no page.
//
// Life of a page: AddPages takes one reference on the bound COM object and a page record per page;
// the page's WM_INITDIALOG creates the form (owned by the extension) as a borderless child of the
// page, its WM_DESTROY frees the form; the reference, the record, the title and the tab icon are
// given back when the sheet releases the page (PSPCB_RELEASE), which it does for every page, shown
// or not.
#pragma once

#include <windows.h>
#include <prsht.h>
#include <shlobj.h>

#include <string>

#include "classlib/Forms.h"
#include "classlib/ImgList.h"
#include "nx/NxCustShlObj.h"
#include "nx/NxPropertySheetForm.h"

class TNxShellPropSheetExt;
class TnxCustomExtraPropPage;

// ---- PropertySheets lines ------------------------------------------------------------------------------

// The page-form class named by a line's name: the text before the first "[" (all of it without one).
std::string GetPropSheetClassName(const std::string& LineName);
// The caption of a line's value: the text before the first "," (all of it without one).
std::string GetPropSheetName(const std::string& Value);
// The icon index of a line's value: the text after the first "," as a number; -1 without a "," or
// when that text is no number.
int GetPropSheetIcon(const std::string& Value);
// The value of a line from its caption and icon index: "Script Info,0". The two parsers read it back
// as long as the caption holds no ",".
std::string GetComposedName(const std::string& Caption, int IconIndex);

// ---- Events --------------------------------------------------------------------------------------------

using TAddPropSheetEvent = TEvent<TNxShellPropSheetExt* /*Sender*/, TFormClass /*PropSheetClass*/, bool& /*AllowInsert*/>;
using TReplacePropSheetEvent =
    TEvent<TNxShellPropSheetExt* /*Sender*/, int /*Index*/, TFormClass /*PropSheetClass*/, bool& /*AllowInsert*/>;
using TOnGetPropSheetName = TEvent<TNxShellPropSheetExt* /*Sender*/, TFormClass /*PropSheetClass*/, std::string& /*Caption*/>;
using TNxApplyEvent = TEvent<TCustomForm* /*PropSheet*/, bool& /*ApplyChanges*/>;
using TNxKillActiveEvent = TEvent<TCustomForm* /*PropSheet*/, bool& /*KillActive*/>;
using TNxQueryCancelEvent = TEvent<TCustomForm* /*PropSheet*/, bool& /*Cancel*/>;
using TNxSetActiveEvent = TEvent<TCustomForm* /*PropSheet*/>;
using TNxApplyEventEx = TEvent<TNxShellPropSheetExt* /*Sender*/, TCustomForm* /*PropSheet*/, bool& /*ApplyChanges*/>;
using TNxKillActiveEventEx = TEvent<TNxShellPropSheetExt* /*Sender*/, TCustomForm* /*PropSheet*/, bool& /*KillActive*/>;
using TNxQueryCancelEventEx = TEvent<TNxShellPropSheetExt* /*Sender*/, TCustomForm* /*PropSheet*/, bool& /*Cancel*/>;
using TNxSetActiveEventEx = TEvent<TNxShellPropSheetExt* /*Sender*/, TCustomForm* /*PropSheet*/>;

// ---- Extra pages ----------------------------------------------------------------------------------------

// A provider of extra pages. While it produces the pages of one sheet it holds its mutex, so one
// provider serves one sheet at a time across threads.
class TnxCustomExtraPropPage : public TComponent {
  VD_CLASS(TnxCustomExtraPropPage, TComponent);

public:
  explicit TnxCustomExtraPropPage(TComponent* AOwner);

  // Waits for the mutex (without time limit), then AfterLock.
  void Lock();
  // BeforeUnlock, then the mutex is released.
  void Unlock();

  // Page Index (0, 1, 2, ...) for Extension, or nil when there are no more.
  virtual HPROPSHEETPAGE CreatePage(TNxShellPropSheetExt* Extension, const std::string& PageTitle, int Index) = 0;

protected:
  ~TnxCustomExtraPropPage() override;
  virtual void BeforeUnlock() {}
  virtual void AfterLock() {}

private:
  HANDLE FMutex;
};

class TnxExtraPageItem : public TCollectionItem {
  VD_CLASS(TnxExtraPageItem, TCollectionItem);

public:
  explicit TnxExtraPageItem(TCollection* Collection);

  TnxCustomExtraPropPage* ExtraPage() const noexcept { return FExtraPage; }
  void SetExtraPage(TnxCustomExtraPropPage* Value);
  const std::string& PageTitle() const noexcept { return FPageTitle; }
  void SetPageTitle(const std::string& Value);

  // From another item: the provider and the title.
  void Assign(TPersistent* Source) override;
  // "<title> - <provider>", "<title> - Not Assigned", or without a title the inherited name.
  std::string GetDisplayName() const override;

private:
  friend class TNxShellPropSheetExt;
  TnxCustomExtraPropPage* FExtraPage = nullptr;
  std::string FPageTitle;
};

inline constexpr const char* SExtraPageNotAssigned = " - Not Assigned";

class TnxExtraPagesCollection : public TOwnedCollection {
  VD_CLASS(TnxExtraPagesCollection, TOwnedCollection);

public:
  explicit TnxExtraPagesCollection(TNxShellPropSheetExt* Extension);
  TNxShellPropSheetExt* Extension() const noexcept { return FExtension; }
  TnxExtraPageItem* GetItem(int Index) const;  // EListError when out of range
  TnxExtraPageItem* AddItem() { return static_cast<TnxExtraPageItem*>(Add()); }

private:
  TNxShellPropSheetExt* FExtension;
};

// ---- The extension ----------------------------------------------------------------------------------------

class TNxShellPropSheetExt : public TNxShellExtInit, public IShellPropSheetExt {
  VD_CLASS(TNxShellPropSheetExt, TNxShellExtInit);

public:
  explicit TNxShellPropSheetExt(TComponent* AOwner);

  NX_COMPONENT_IUNKNOWN
  bool GetInterface(const IID& Iid, void** Obj) override;

  // IShellPropSheetExt. Overrides must let nothing escape either (NxSafeCall).
  // One page per PropertySheets line (in order), then the extra pages of each ExtraPages item.
  HRESULT STDMETHODCALLTYPE AddPages(LPFNSVADDPROPSHEETPAGE AddPage, LPARAM LParam) override;
  // One replacement page per line the OnReplacePropSheet handler accepts (every line without a
  // handler), handed to ReplaceWith; no extra pages, no caption event.
  HRESULT STDMETHODCALLTYPE ReplacePage(EXPPS PageID, LPFNSVADDPROPSHEETPAGE ReplaceWith, LPARAM LParam) override;

  // The page notifications, called by the page's dialog procedure: the form's page interface first
  // (when it has one), then the Ex event when assigned, else the plain one. PropSheet is nil for a
  // page whose form could not be made.
  virtual void DoApply(TCustomForm* PropSheet, bool& ApplyChanges);
  virtual void DoKillActive(TCustomForm* PropSheet, bool& KillActive);
  virtual void DoQueryCancel(TCustomForm* PropSheet, bool& Cancel);
  virtual void DoSetActive(TCustomForm* PropSheet);

  TnxExtraPagesCollection* ExtraPages() const noexcept { return FExtraPages; }
  void SetExtraPages(TnxExtraPagesCollection* Value);
  // Source of the tab icons (not owned; cleared when it is freed).
  TCustomImageList* ImageList() const noexcept { return FImageList; }
  void SetImageList(TCustomImageList* Value);
  TStringList* PropertySheets() const noexcept { return FPropertySheets; }
  void SetPropertySheets(TStringList* Value);
  bool ActivateXPThemes() const noexcept { return FActivateXPThemes; }
  void SetActivateXPThemes(bool Value) noexcept { FActivateXPThemes = Value; }

  // From another extension: the image list, the eleven page events, the lines, the extra pages and
  // ActivateXPThemes (not the identity, the file type or the selection).
  void Assign(TPersistent* Source) override;
  // The inherited step, then Allow := False: the module of a page's extension must not go with its
  // COM object.
  void TryToReleaseModule(bool& Allow) override;
  // The inherited step, then the handler key "<FileType>\shellex\PropertySheetHandlers\<ExtensionName>"
  // = CLSID under HKEY_CLASSES_ROOT (for a "Controls Folder\" type under HKEY_LOCAL_MACHINE's
  // "Software\Microsoft\Windows\CurrentVersion"), and on NT the Approved value CLSID = ExtensionName.
  // Unregistering removes them (and the emptied "shellex" keys).
  void RegisterFileType(const std::string& FileType, bool Register) override;

  TAddPropSheetEvent OnAddPropSheet;
  TReplacePropSheetEvent OnReplacePropSheet;
  TOnGetPropSheetName OnGetPropSheetName;
  TNxApplyEvent OnApply;
  TNxKillActiveEvent OnKillActive;
  TNxQueryCancelEvent OnQueryCancel;
  TNxSetActiveEvent OnSetActive;
  TNxApplyEventEx OnApplyEx;
  TNxKillActiveEventEx OnKillActiveEx;
  TNxQueryCancelEventEx OnQueryCancelEx;
  TNxSetActiveEventEx OnSetActiveEx;

protected:
  ~TNxShellPropSheetExt() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  // Builds the page of one line (nil for a line that makes none); Caption is the line's caption.
  HPROPSHEETPAGE CreateLinePage(TFormClass FormClass, const std::string& Caption, int IconIndex);
  HRESULT AddExtraPages(LPFNSVADDPROPSHEETPAGE AddPage, LPARAM LParam);

  TnxExtraPagesCollection* FExtraPages;
  TCustomImageList* FImageList = nullptr;
  TStringList* FPropertySheets;
  bool FActivateXPThemes = true;
};

// ---- Page plumbing (exposed for tests and extra-page providers) -------------------------------------------

// The resource ID of the page dialog template in this library.
inline constexpr WORD NxPropSheetDialogID = 106;

// The dialog procedure and page callback of the pages the extension makes.
INT_PTR CALLBACK PropSheetPageDlgProc(HWND Dlg, UINT Msg, WPARAM WParam, LPARAM LParam);
UINT CALLBACK PropSheetPageCallback(HWND Wnd, UINT Msg, PROPSHEETPAGEA* Page);

namespace nx_detail {
// Page records alive now (made by AddPages/ReplacePage, not yet released).
int LivePageRecords();
// The page form of a page window made by the extension, nil when it has none.
TCustomForm* PageFormOf(HWND PageWindow);
}  // namespace nx_detail

// Unit start-up registers the extension and the item classes for form resources.
void NxPropertySheetExtInitialize();
void NxPropertySheetExtFinalize();
