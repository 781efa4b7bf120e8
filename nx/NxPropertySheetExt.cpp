#include "nx/NxPropertySheetExt.h"

#include <commctrl.h>
#include <shellapi.h>

#include <atomic>
#include <cstddef>
#include <memory>
#include <optional>

#include "classlib/ScopedHandles.h"
#include "classlib/TypInfo.h"
#include "classlib/UnitInit.h"
#include "classlib/WndProcs.h"
#include "nx/NxComObj.h"
#include "nx/NxExceptions.h"
#include "nx/NxThemes.h"
#include "nx/NxTools.h"
#include "nx/NxUnitOrder.h"

// The page structure up to the header subtitle, as the shell's callers of this era pass it.
constexpr DWORD kPropSheetPageSize = offsetof(PROPSHEETPAGEA, pszHeaderSubTitle) + sizeof(LPCSTR);
#if defined(__i386__)
static_assert(kPropSheetPageSize == 48);
#endif

namespace {

constexpr const char* kApprovedKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved";
constexpr const char* kMachineShellKey = "Software\\Microsoft\\Windows\\CurrentVersion\\";
constexpr const char* kControlsFolder = "Controls Folder\\";

const TUnitRegistration kUnit(nxrPropSheetExt,
                              {"NxPropertySheetExt", &NxPropertySheetExtInitialize, &NxPropertySheetExtFinalize});

// What one page of the extension carries from AddPages to the sheet's release of it.
struct TPageRecord {
  TFormClass FormClass;
  TNxShellPropSheetExt* Extension = nullptr;
  TCustomForm* Form = nullptr;          // from WM_INITDIALOG to WM_DESTROY
  TNxComObject* ComObject = nullptr;    // one reference held for the page
  std::string Title;
  HICON Icon = nullptr;                 // the tab icon, a duplicate owned by the page
};

std::atomic<int> g_liveRecords{0};

void ReleasePageRecord(TPageRecord* Record) noexcept {
  if (Record == nullptr) return;
  if (TNxComObject* Object = Record->ComObject) {
    Record->ComObject = nullptr;
    try {
      Object->ObjRelease();
    } catch (...) {
      OutputDebugStringA("NxPropertySheetExt: releasing a page's object failed\n");
    }
  }
  if (Record->Icon) DestroyIcon(Record->Icon);
  delete Record;
  g_liveRecords.fetch_sub(1, std::memory_order_relaxed);
}

TPageRecord* RecordOf(HWND Dlg) { return reinterpret_cast<TPageRecord*>(GetWindowLongPtrA(Dlg, GWLP_USERDATA)); }

INT_PTR SetResult(HWND Dlg, LONG_PTR Result) {
  SetWindowLongPtrA(Dlg, DWLP_MSGRESULT, Result);
  return TRUE;
}

// Holds a provider's lock while it produces its pages.
class TProviderLock {
public:
  explicit TProviderLock(TnxCustomExtraPropPage* Provider) : FProvider(Provider) { FProvider->Lock(); }
  ~TProviderLock() {
    try {
      FProvider->Unlock();
    } catch (...) {
      OutputDebugStringA("NxPropertySheetExt: unlocking an extra-page provider failed\n");
    }
  }
  TProviderLock(const TProviderLock&) = delete;
  TProviderLock& operator=(const TProviderLock&) = delete;

private:
  TnxCustomExtraPropPage* FProvider;
};

// Deletes Root\Key with everything below it.
void DeleteKeyTree(HKEY Root, const std::string& Key) {
  {
    ScopedRegKey Handle;
    if (RegOpenKeyExA(Root, Key.c_str(), 0, KEY_READ, Handle.receive()) != ERROR_SUCCESS) return;
    char Name[256];
    for (;;) {
      DWORD Size = sizeof Name;
      if (RegEnumKeyExA(Handle.get(), 0, Name, &Size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
      const std::string Child = Key + "\\" + Name;
      DeleteKeyTree(Root, Child);
      ScopedRegKey Probe;
      if (RegOpenKeyExA(Root, Child.c_str(), 0, KEY_READ, Probe.receive()) == ERROR_SUCCESS) break;  // stuck
    }
  }
  RegDeleteKeyA(Root, Key.c_str());
}

bool IsNTPlatform() {
  OSVERSIONINFOA Info{};
  Info.dwOSVersionInfoSize = sizeof Info;
  return GetVersionExA(&Info) && Info.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

}  // namespace

// ---- PropertySheets lines ------------------------------------------------------------------------------

std::string GetPropSheetClassName(const std::string& LineName) { return LineName.substr(0, LineName.find('[')); }

std::string GetPropSheetName(const std::string& Value) { return Value.substr(0, Value.find(',')); }

int GetPropSheetIcon(const std::string& Value) {
  const size_t Comma = Value.find(',');
  if (Comma == std::string::npos) return -1;
  int Index = -1;
  return TryStrToInt(Value.substr(Comma + 1), Index) ? Index : -1;
}

std::string GetComposedName(const std::string& Caption, int IconIndex) { return Caption + "," + IntToStr(IconIndex); }

// ---- TnxCustomExtraPropPage ------------------------------------------------------------------------------

VD_DEFINE_CLASS(TnxCustomExtraPropPage) {}

TnxCustomExtraPropPage::TnxCustomExtraPropPage(TComponent* AOwner)
    : TComponent(AOwner), FMutex(CreateMutexA(nullptr, TRUE, nullptr)) {
  if (FMutex) ReleaseMutex(FMutex);
}

TnxCustomExtraPropPage::~TnxCustomExtraPropPage() {
  if (FMutex) CloseHandle(FMutex);
}

void TnxCustomExtraPropPage::Lock() {
  if (FMutex) WaitForSingleObject(FMutex, INFINITE);
  AfterLock();
}

void TnxCustomExtraPropPage::Unlock() {
  BeforeUnlock();
  if (FMutex) ReleaseMutex(FMutex);
}

// ---- TnxExtraPageItem --------------------------------------------------------------------------------------

VD_DEFINE_CLASS(TnxExtraPageItem) {
  C.Property("ExtraPage", &TnxExtraPageItem::FExtraPage, &TnxExtraPageItem::SetExtraPage);
  C.Property("PageTitle", &TnxExtraPageItem::FPageTitle, &TnxExtraPageItem::SetPageTitle);
}

TnxExtraPageItem::TnxExtraPageItem(TCollection* Collection) : TCollectionItem(Collection) {}

void TnxExtraPageItem::SetExtraPage(TnxCustomExtraPropPage* Value) {
  if (FExtraPage == Value) return;
  FExtraPage = Value;
  // The extension clears the reference when the provider is freed.
  if (auto* Pages = dynamic_cast<TnxExtraPagesCollection*>(Collection()); Pages && Value && Pages->Extension())
    Value->FreeNotification(Pages->Extension());
  Changed(false);
}

void TnxExtraPageItem::SetPageTitle(const std::string& Value) {
  if (FPageTitle == Value) return;
  FPageTitle = Value;
  Changed(false);
}

void TnxExtraPageItem::Assign(TPersistent* Source) {
  if (auto* Item = dynamic_cast<TnxExtraPageItem*>(Source)) {
    SetExtraPage(Item->FExtraPage);
    SetPageTitle(Item->FPageTitle);
    return;
  }
  inherited::Assign(Source);
}

std::string TnxExtraPageItem::GetDisplayName() const {
  if (FPageTitle.empty()) return inherited::GetDisplayName();
  return FExtraPage ? FPageTitle + " - " + FExtraPage->Name() : FPageTitle + SExtraPageNotAssigned;
}

// ---- TnxExtraPagesCollection -------------------------------------------------------------------------------

VD_DEFINE_CLASS(TnxExtraPagesCollection) {}

TnxExtraPagesCollection::TnxExtraPagesCollection(TNxShellPropSheetExt* Extension)
    : TOwnedCollection(Extension, TCollectionItemClass::Of<TnxExtraPageItem>()), FExtension(Extension) {}

TnxExtraPageItem* TnxExtraPagesCollection::GetItem(int Index) const {
  return static_cast<TnxExtraPageItem*>(Items(Index));
}

// ---- TNxShellPropSheetExt -----------------------------------------------------------------------------------

VD_DEFINE_CLASS(TNxShellPropSheetExt) {
  using T = TNxShellPropSheetExt;
  C.Property("ExtraPages", &T::FExtraPages, &T::SetExtraPages);
  C.Property("ImageList", &T::FImageList, &T::SetImageList);
  C.Property("PropertySheets", &T::FPropertySheets, &T::SetPropertySheets);
  C.Property("ActivateXPThemes", &T::FActivateXPThemes, &T::SetActivateXPThemes);
  C.Property("OnAddPropSheet", &T::OnAddPropSheet, &T::OnAddPropSheet);
  C.Property("OnReplacePropSheet", &T::OnReplacePropSheet, &T::OnReplacePropSheet);
  C.Property("OnGetPropSheetName", &T::OnGetPropSheetName, &T::OnGetPropSheetName);
  C.Property("OnApply", &T::OnApply, &T::OnApply);
  C.Property("OnKillActive", &T::OnKillActive, &T::OnKillActive);
  C.Property("OnQueryCancel", &T::OnQueryCancel, &T::OnQueryCancel);
  C.Property("OnSetActive", &T::OnSetActive, &T::OnSetActive);
  C.Property("OnApplyEx", &T::OnApplyEx, &T::OnApplyEx);
  C.Property("OnKillActiveEx", &T::OnKillActiveEx, &T::OnKillActiveEx);
  C.Property("OnQueryCancelEx", &T::OnQueryCancelEx, &T::OnQueryCancelEx);
  C.Property("OnSetActiveEx", &T::OnSetActiveEx, &T::OnSetActiveEx);
}

TNxShellPropSheetExt::TNxShellPropSheetExt(TComponent* AOwner)
    : TNxShellExtInit(AOwner),
      FExtraPages(TnxExtraPagesCollection::Create(this)),
      FPropertySheets(TStringList::Create()) {}

TNxShellPropSheetExt::~TNxShellPropSheetExt() {
  FExtraPages->Free();
  FPropertySheets->Free();
}

bool TNxShellPropSheetExt::GetInterface(const IID& Iid, void** Obj) {
  if (!IsEqualIID(Iid, IID_IShellPropSheetExt)) return inherited::GetInterface(Iid, Obj);
  *Obj = static_cast<IShellPropSheetExt*>(this);
  ComAddRef();
  return true;
}

void TNxShellPropSheetExt::SetExtraPages(TnxExtraPagesCollection* Value) { FExtraPages->Assign(Value); }

void TNxShellPropSheetExt::SetImageList(TCustomImageList* Value) {
  if (FImageList == Value) return;
  if (FImageList) FImageList->RemoveFreeNotification(this);
  FImageList = Value;
  if (FImageList) FImageList->FreeNotification(this);
}

void TNxShellPropSheetExt::SetPropertySheets(TStringList* Value) { FPropertySheets->Assign(Value); }

void TNxShellPropSheetExt::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FImageList) FImageList = nullptr;
  for (int I = 0; I < FExtraPages->Count(); ++I) {
    TnxExtraPageItem* Item = FExtraPages->GetItem(I);
    if (Item->FExtraPage == AComponent) Item->FExtraPage = nullptr;
  }
}

void TNxShellPropSheetExt::Assign(TPersistent* Source) {
  auto* Other = dynamic_cast<TNxShellPropSheetExt*>(Source);
  if (Other == nullptr) return inherited::Assign(Source);
  SetImageList(Other->FImageList);
  OnAddPropSheet = Other->OnAddPropSheet;
  OnReplacePropSheet = Other->OnReplacePropSheet;
  OnGetPropSheetName = Other->OnGetPropSheetName;
  OnApply = Other->OnApply;
  OnKillActive = Other->OnKillActive;
  OnQueryCancel = Other->OnQueryCancel;
  OnSetActive = Other->OnSetActive;
  OnApplyEx = Other->OnApplyEx;
  OnKillActiveEx = Other->OnKillActiveEx;
  OnQueryCancelEx = Other->OnQueryCancelEx;
  OnSetActiveEx = Other->OnSetActiveEx;
  FPropertySheets->Assign(Other->FPropertySheets);
  FExtraPages->Assign(Other->FExtraPages);
  FActivateXPThemes = Other->FActivateXPThemes;
}

void TNxShellPropSheetExt::TryToReleaseModule(bool& Allow) {
  inherited::TryToReleaseModule(Allow);
  Allow = false;
}

// ---- Pages --------------------------------------------------------------------------------------------------

HPROPSHEETPAGE TNxShellPropSheetExt::CreateLinePage(TFormClass FormClass, const std::string& Caption,
                                                    int IconIndex) {
  auto Record = std::make_unique<TPageRecord>();
  Record->FormClass = FormClass;
  Record->Extension = this;
  Record->Title = Caption;

  PROPSHEETPAGEA Page;
  ZeroMemory(&Page, sizeof Page);
  Page.dwSize = kPropSheetPageSize;
  Page.dwFlags = PSP_USETITLE | PSP_USECALLBACK;
  Page.hInstance = ModuleInstance();
  Page.pszTemplate = MAKEINTRESOURCEA(NxPropSheetDialogID);
  // An index past the end of the list gives no icon rather than no sheet.
  if (IconIndex >= 0 && FImageList != nullptr && IconIndex < FImageList->Count()) {
    TObjectPtr<TIcon> Temporary(TIcon::Create());
    FImageList->GetIcon(IconIndex, Temporary.get());
    Record->Icon = DuplicateIcon(ModuleInstance(), Temporary->Handle());
    if (Record->Icon) {
      Page.dwFlags |= PSP_USEHICON;
      Page.hIcon = Record->Icon;
    }
  }
  Page.pszTitle = Record->Title.c_str();
  Page.pfnDlgProc = &PropSheetPageDlgProc;
  Page.lParam = reinterpret_cast<LPARAM>(Record.get());
  Page.pfnCallback = &PropSheetPageCallback;

  if (TNxComObject* Object = ComObject()) {
    Object->ObjAddRef();
    Record->ComObject = Object;
  }
  g_liveRecords.fetch_add(1, std::memory_order_relaxed);
  TPageRecord* Raw = Record.release();
  HPROPSHEETPAGE Handle = CreatePropertySheetPageA(&Page);
  // From here the sheet's release of the page gives the record back; without a page, now.
  if (Handle == nullptr) ReleasePageRecord(Raw);
  return Handle;
}

HRESULT STDMETHODCALLTYPE TNxShellPropSheetExt::AddPages(LPFNSVADDPROPSHEETPAGE AddPage, LPARAM LParam) {
  return NxSafeCall(this, [&]() -> HRESULT {
    if (AddPage == nullptr) return E_INVALIDARG;
    for (int I = 0; I < FPropertySheets->Count(); ++I) {
      const std::string Name = FPropertySheets->Names(I);
      if (Name.empty()) continue;
      TFormClass FormClass = FindPropSheetFormClass(GetPropSheetClassName(Name));
      if (!FormClass) continue;
      if (OnAddPropSheet) {
        bool AllowInsert = true;
        OnAddPropSheet(this, FormClass, AllowInsert);
        if (!AllowInsert) continue;
      }
      const std::string Value = FPropertySheets->Values(Name);
      std::string Caption = GetPropSheetName(Value);
      OnGetPropSheetName(this, FormClass, Caption);
      HPROPSHEETPAGE Page = CreateLinePage(FormClass, Caption, GetPropSheetIcon(Value));
      if (Page == nullptr) return E_FAIL;
      if (!AddPage(Page, LParam)) {
        DestroyPropertySheetPage(Page);
        return E_FAIL;
      }
    }
    return AddExtraPages(AddPage, LParam);
  });
}

HRESULT TNxShellPropSheetExt::AddExtraPages(LPFNSVADDPROPSHEETPAGE AddPage, LPARAM LParam) {
  for (int I = 0; I < FExtraPages->Count(); ++I) {
    TnxExtraPageItem* Item = FExtraPages->GetItem(I);
    TnxCustomExtraPropPage* Provider = Item->ExtraPage();
    if (Provider == nullptr) continue;
    TProviderLock Lock(Provider);
    for (int N = 0;; ++N) {
      HPROPSHEETPAGE Page = Provider->CreatePage(this, Item->PageTitle(), N);
      if (Page == nullptr) break;
      if (!AddPage(Page, LParam)) {
        DestroyPropertySheetPage(Page);
        return E_FAIL;
      }
    }
  }
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TNxShellPropSheetExt::ReplacePage(EXPPS PageID, LPFNSVADDPROPSHEETPAGE ReplaceWith,
                                                            LPARAM LParam) {
  return NxSafeCall(this, [&]() -> HRESULT {
    if (ReplaceWith == nullptr) return E_INVALIDARG;
    for (int I = 0; I < FPropertySheets->Count(); ++I) {
      const std::string Name = FPropertySheets->Names(I);
      if (Name.empty()) continue;
      TFormClass FormClass = FindPropSheetFormClass(GetPropSheetClassName(Name));
      if (!FormClass) continue;
      if (OnReplacePropSheet) {
        bool AllowInsert = false;
        OnReplacePropSheet(this, static_cast<int>(PageID), FormClass, AllowInsert);
        if (!AllowInsert) continue;
      }
      const std::string Value = FPropertySheets->Values(Name);
      HPROPSHEETPAGE Page = CreateLinePage(FormClass, GetPropSheetName(Value), GetPropSheetIcon(Value));
      if (Page == nullptr) return E_FAIL;
      if (!ReplaceWith(Page, LParam)) {
        DestroyPropertySheetPage(Page);
        return E_FAIL;
      }
    }
    return S_OK;
  });
}

void TNxShellPropSheetExt::DoApply(TCustomForm* PropSheet, bool& ApplyChanges) {
  if (INxShellPropSheetPage* Page = PropSheetPageOf(PropSheet)) Page->DoApply(ApplyChanges);
  if (OnApplyEx) OnApplyEx(this, PropSheet, ApplyChanges);
  else OnApply(PropSheet, ApplyChanges);
}

void TNxShellPropSheetExt::DoKillActive(TCustomForm* PropSheet, bool& KillActive) {
  if (INxShellPropSheetPage* Page = PropSheetPageOf(PropSheet)) Page->DoKillActive(KillActive);
  if (OnKillActiveEx) OnKillActiveEx(this, PropSheet, KillActive);
  else OnKillActive(PropSheet, KillActive);
}

void TNxShellPropSheetExt::DoQueryCancel(TCustomForm* PropSheet, bool& Cancel) {
  if (INxShellPropSheetPage* Page = PropSheetPageOf(PropSheet)) Page->DoQueryCancel(Cancel);
  if (OnQueryCancelEx) OnQueryCancelEx(this, PropSheet, Cancel);
  else OnQueryCancel(PropSheet, Cancel);
}

void TNxShellPropSheetExt::DoSetActive(TCustomForm* PropSheet) {
  if (INxShellPropSheetPage* Page = PropSheetPageOf(PropSheet)) Page->DoSetActive();
  if (OnSetActiveEx) OnSetActiveEx(this, PropSheet);
  else OnSetActive(PropSheet);
}

// ---- Registration --------------------------------------------------------------------------------------------

void TNxShellPropSheetExt::RegisterFileType(const std::string& FileType, bool Register) {
  inherited::RegisterFileType(FileType, Register);
  const bool NT = IsNTPlatform();
  const std::string HandlerKey = FileType + "\\shellex\\PropertySheetHandlers\\" + ExtensionName();
  const bool ControlsFolder = FileType.compare(0, 16, kControlsFolder) == 0;
  const std::string Clsid = GetCLSID();
  if (Register) {
    if (!ControlsFolder) {
      WriteClassesRootValue(HandlerKey, "", Clsid);
    } else {
      ScopedRegKey Key;
      if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, (kMachineShellKey + HandlerKey).c_str(), 0, nullptr, 0,
                          KEY_READ | KEY_WRITE, nullptr, Key.receive(), nullptr) != ERROR_SUCCESS ||
          RegSetValueExA(Key.get(), "", 0, REG_SZ, reinterpret_cast<const BYTE*>(Clsid.c_str()),
                         static_cast<DWORD>(Clsid.size() + 1)) != ERROR_SUCCESS)
        throw Exception(SRegistrationFailed);
    }
    if (NT) {
      ScopedRegKey Approved;
      if (RegOpenKeyA(HKEY_LOCAL_MACHINE, kApprovedKey, Approved.receive()) == ERROR_SUCCESS) {
        // A failure here leaves the handler unapproved, which only matters where approval is enforced.
        const std::string& Name = ExtensionName();
        RegSetValueExA(Approved.get(), Clsid.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(Name.c_str()),
                       static_cast<DWORD>(Name.size() + 1));
      }
    }
  } else {
    if (!ControlsFolder) {
      DeleteClassesRootKey(HandlerKey);
      DeleteEmptyRegKey(FileType + "\\shellex\\PropertySheetHandlers");
      DeleteEmptyRegKey(FileType + "\\shellex");
    } else {
      DeleteKeyTree(HKEY_LOCAL_MACHINE, kMachineShellKey + HandlerKey);
    }
    if (NT) {
      ScopedRegKey Approved;
      if (RegOpenKeyA(HKEY_LOCAL_MACHINE, kApprovedKey, Approved.receive()) == ERROR_SUCCESS)
        RegDeleteValueA(Approved.get(), Clsid.c_str());
    }
  }
}

// ---- Page dialog procedure and callback ---------------------------------------------------------------------

namespace {

void InitPage(HWND Dlg, TPageRecord* Record) {
  TCustomForm* Form = nullptr;
  {
    std::optional<TNxContext> Context;  // the form's windows get the themed controls
    if (Record->Extension->ActivateXPThemes()) Context.emplace();
    SetWindowLongPtrA(Dlg, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(Record));
    Form = Record->FormClass.Create(Record->Extension);
    Record->Form = Form;
    RECT Client;
    GetClientRect(Dlg, &Client);
    Form->SetBorderStyle(bsNone);
    SetWindowLongPtrA(Form->Handle(), GWL_STYLE, WS_CHILD);
    SetParent(Form->Handle(), Dlg);
    Form->SetParentWindow(Dlg);
    Form->Show();
  }
  SubclassChildControls(Form);
  RECT Client;
  GetClientRect(Dlg, &Client);
  MoveWindow(Form->Handle(), 0, 0, Client.right - Client.left, Client.bottom - Client.top, TRUE);
}

INT_PTR Notify(HWND Dlg, TPageRecord* Record, const NMHDR* Header) {
  TNxShellPropSheetExt* Extension = Record->Extension;
  TCustomForm* Form = Record->Form;
  switch (Header->code) {
    case PSN_QUERYCANCEL: {
      bool Cancel = true;
      Extension->DoQueryCancel(Form, Cancel);
      return SetResult(Dlg, Cancel ? FALSE : TRUE);
    }
    case PSN_APPLY: {
      bool ApplyChanges = true;
      Extension->DoApply(Form, ApplyChanges);
      return SetResult(Dlg, ApplyChanges ? PSNRET_NOERROR : PSNRET_INVALID);
    }
    case PSN_KILLACTIVE: {
      bool KillActive = true;
      Extension->DoKillActive(Form, KillActive);
      return SetResult(Dlg, KillActive ? FALSE : TRUE);
    }
    case PSN_SETACTIVE:
      Extension->DoSetActive(Form);
      return SetResult(Dlg, 0);
  }
  return FALSE;
}

void DestroyPage(HWND Dlg, TPageRecord* Record) {
  // The form goes first, while its owner is certainly alive; the page's reference on the COM object
  // is given back when the sheet releases the page.
  if (TCustomForm* Form = Record->Form) {
    Record->Form = nullptr;
    RestoreChildControls(Form);
    Form->Free();
  }
  SetWindowLongPtrA(Dlg, GWLP_USERDATA, 0);
}

}  // namespace

INT_PTR CALLBACK PropSheetPageDlgProc(HWND Dlg, UINT Msg, WPARAM WParam, LPARAM LParam) {
  try {
    switch (Msg) {
      case WM_INITDIALOG: {
        auto* Page = reinterpret_cast<const PROPSHEETPAGEA*>(LParam);
        auto* Record = Page ? reinterpret_cast<TPageRecord*>(Page->lParam) : nullptr;
        if (Record != nullptr) InitPage(Dlg, Record);
        return FALSE;
      }
      case WM_SIZE:
        if (TPageRecord* Record = RecordOf(Dlg); Record && Record->Form) {
          TCustomForm* Form = Record->Form;
          Form->SetBounds(Form->Left(), Form->Top(), LOWORD(LParam), HIWORD(LParam));
        }
        return FALSE;
      case WM_NOTIFY:
        if (TPageRecord* Record = RecordOf(Dlg); Record && LParam)
          return Notify(Dlg, Record, reinterpret_cast<const NMHDR*>(LParam));
        return FALSE;
      case WM_DESTROY:
        if (TPageRecord* Record = RecordOf(Dlg)) DestroyPage(Dlg, Record);
        return FALSE;
    }
  } catch (...) {
    wndprocs_detail::HandleCallbackException();
  }
  return FALSE;
}

UINT CALLBACK PropSheetPageCallback(HWND Wnd, UINT Msg, PROPSHEETPAGEA* Page) {
  if (Msg == PSPCB_RELEASE && Page != nullptr) ReleasePageRecord(reinterpret_cast<TPageRecord*>(Page->lParam));
  return 255;  // PSPCB_CREATE: create the page
}

int nx_detail::LivePageRecords() { return g_liveRecords.load(std::memory_order_relaxed); }

TCustomForm* nx_detail::PageFormOf(HWND PageWindow) {
  TPageRecord* Record = RecordOf(PageWindow);
  return Record ? Record->Form : nullptr;
}

// ---- Unit -------------------------------------------------------------------------------------------------------

void NxPropertySheetExtInitialize() {
  RegisterClasses({ClassOf<TNxShellPropSheetExt>(), ClassOf<TnxExtraPageItem>()});
}

void NxPropertySheetExtFinalize() {
  UnRegisterClass(ClassOf<TnxExtraPageItem>());
  UnRegisterClass(ClassOf<TNxShellPropSheetExt>());
}
