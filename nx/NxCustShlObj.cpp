#include "nx/NxCustShlObj.h"

#include <shellapi.h>

#include <cstring>
#include <utility>
#include <vector>

#include "classlib/ScopedHandles.h"
#include "classlib/TypInfo.h"
#include "nx/NxComObj.h"
#include "nx/NxDataModule.h"
#include "nx/NxExceptions.h"
#include "nx/NxPIDLTools.h"
#include "nx/NxShellBlocks.h"
#include "nx/NxTools.h"
#include "nx/NxUnitOrder.h"

namespace {
const TUnitRegistration kUnit(nxrCustShlObj, {"NxCustShlObj", &NxCustShlObjInitialize, &NxCustShlObjFinalize});

// Locks an HGLOBAL for a scope.
class TGlobalLock {
public:
  explicit TGlobalLock(HGLOBAL Memory) : FMemory(Memory), FData(Memory ? GlobalLock(Memory) : nullptr) {}
  ~TGlobalLock() {
    if (FData) GlobalUnlock(FMemory);
  }
  TGlobalLock(const TGlobalLock&) = delete;
  TGlobalLock& operator=(const TGlobalLock&) = delete;
  const void* Data() const noexcept { return FData; }
  SIZE_T Size() const noexcept { return FData ? GlobalSize(FMemory) : 0; }

private:
  HGLOBAL FMemory;
  void* FData;
};

// A storage medium released on every way out.
class TStgMedium {
public:
  TStgMedium() { ZeroMemory(&FMedium, sizeof FMedium); }
  ~TStgMedium() {
    if (FMedium.tymed != TYMED_NULL) ReleaseStgMedium(&FMedium);
  }
  TStgMedium(const TStgMedium&) = delete;
  TStgMedium& operator=(const TStgMedium&) = delete;
  STGMEDIUM* Get() noexcept { return &FMedium; }
  HGLOBAL Global() const noexcept { return FMedium.tymed == TYMED_HGLOBAL ? FMedium.hGlobal : nullptr; }

private:
  STGMEDIUM FMedium;
};

HRESULT GetGlobalData(IDataObject* DataObject, CLIPFORMAT Format, TStgMedium& Medium) {
  FORMATETC Fmt = {Format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  return DataObject->GetData(&Fmt, Medium.Get());
}

// The names of a drop list, read from the checked block itself: the system's DragQueryFileA walks
// the list without bounds and from its start for every name, and counts one name too many in an
// empty one. Wide names become ANSI as DragQueryFileA makes them.
bool ReadDropNames(const void* Data, SIZE_T Size, std::vector<std::string>& Names) {
  static_assert(sizeof(DROPFILES) == 20);
  nxshellblocks::TDropList List;
  if (!nxshellblocks::ParseDropList(static_cast<const uint8_t*>(Data), Size, List)) return false;
  const auto* Bytes = static_cast<const char*>(Data);
  for (const nxshellblocks::TDropName& Name : List.Names) {
    if (!List.Wide) {
      Names.emplace_back(Bytes + Name.Offset, Name.Length);
      continue;
    }
    std::wstring Wide(Name.Length, L'\0');
    std::memcpy(Wide.data(), Bytes + Name.Offset, Name.Length * sizeof(wchar_t));
    const int Length = WideCharToMultiByte(CP_ACP, 0, Wide.data(), static_cast<int>(Wide.size()), nullptr, 0,
                                           nullptr, nullptr);
    std::string Narrow(static_cast<size_t>(Length), '\0');
    WideCharToMultiByte(CP_ACP, 0, Wide.data(), static_cast<int>(Wide.size()), Narrow.data(), Length, nullptr,
                        nullptr);
    Names.push_back(std::move(Narrow));
  }
  return true;
}

std::string PathOfIDList(LPCITEMIDLIST List) {
  char Path[MAX_PATH];
  if (List != nullptr && SHGetPathFromIDListA(List, Path)) return Path;
  return "";
}
}  // namespace

// ---- GUID text and HKEY_CLASSES_ROOT --------------------------------------------------------------

GUID StrToCLSID(const std::string& Text) {
  GUID Result;
  if (!TryStringToGUID(Text, Result)) throw Exception(SysErrorMessage(static_cast<DWORD>(CO_E_CLASSSTRING)));
  return Result;
}

std::string CLSIDToStr(const GUID& Clsid) { return GUIDToString(Clsid); }

void WriteClassesRootValue(const std::string& Key, const std::string& ValueName, const std::string& Value) {
  ScopedRegKey Handle;
  char EmptyClass[] = "";
  if (RegCreateKeyExA(HKEY_CLASSES_ROOT, Key.c_str(), 0, EmptyClass, 0, KEY_READ | KEY_WRITE, nullptr,
                      Handle.receive(), nullptr) != ERROR_SUCCESS)
    throw Exception(SRegistrationFailed);
  if (RegSetValueExA(Handle.get(), ValueName.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(Value.c_str()),
                     static_cast<DWORD>(Value.size() + 1)) != ERROR_SUCCESS)
    throw Exception(SRegistrationFailed);
}

void DeleteClassesRootKey(const std::string& Key) { RegDeleteKeyA(HKEY_CLASSES_ROOT, Key.c_str()); }

// ---- TNxBaseShellObject ---------------------------------------------------------------------------

VD_DEFINE_CLASS(TNxBaseShellObject) {
  C.Property("CLSID", &TNxBaseShellObject::GetCLSID, &TNxBaseShellObject::SetCLSID);
  C.Property("Description", &TNxBaseShellObject::FDescription, &TNxBaseShellObject::SetDescription);
  C.Property("ExtensionName", &TNxBaseShellObject::FExtensionName, &TNxBaseShellObject::SetExtensionName);
  C.Property("RefreshWhenRegistered", &TNxBaseShellObject::FRefreshWhenRegistered,
             &TNxBaseShellObject::SetRefreshWhenRegistered);
  C.Property("BeforeUpdateRegistry", &TNxBaseShellObject::BeforeUpdateRegistry,
             &TNxBaseShellObject::BeforeUpdateRegistry);
  C.Property("AfterUpdateRegistry", &TNxBaseShellObject::AfterUpdateRegistry,
             &TNxBaseShellObject::AfterUpdateRegistry);
  C.Property("OnUpdateRegistry", &TNxBaseShellObject::OnUpdateRegistry, &TNxBaseShellObject::OnUpdateRegistry);
  C.Property("OnTryToReleaseModule", &TNxBaseShellObject::OnTryToReleaseModule,
             &TNxBaseShellObject::OnTryToReleaseModule);
}

TNxBaseShellObject::TNxBaseShellObject(TComponent* AOwner) : TComponent(AOwner) {
  if (ComponentState().Contains(csDesigning)) CoCreateGuid(&FCLSID);
}

TNxBaseShellObject::~TNxBaseShellObject() = default;

void TNxBaseShellObject::BeforeDestruction() {
  if (TNxComObject* Bound = std::exchange(FComObject, nullptr)) {
    Bound->ComponentDestroyed();
    SetVCLComObject(nullptr);
  }
  inherited::BeforeDestruction();
}

HRESULT STDMETHODCALLTYPE TNxBaseShellObject::GetClassID(GUID* ClassID) {
  if (ClassID == nullptr) return E_POINTER;
  *ClassID = FCLSID;
  return S_OK;
}

bool TNxBaseShellObject::GetInterface(const IID& Iid, void** Obj) {
  if (IsEqualIID(Iid, IID_IUnknown) || IsEqualIID(Iid, IID_IPersist)) {
    *Obj = static_cast<IPersist*>(this);
  } else if (IsEqualIID(Iid, IID_INxShellObject)) {
    *Obj = static_cast<INxShellObject*>(this);
  } else {
    return inherited::GetInterface(Iid, Obj);
  }
  ComAddRef();
  return true;
}

void TNxBaseShellObject::SetCLSID(const std::string& Text) { FCLSID = StrToCLSID(Text); }

void TNxBaseShellObject::SetDescription(const std::string& Value) { FDescription = Value; }

void TNxBaseShellObject::SetExtensionName(const std::string& Value) { FExtensionName = Value; }

void TNxBaseShellObject::SetName(const std::string& NewName) {
  const std::string OldName = Name();
  inherited::SetName(NewName);
  if (FDescription.empty() || FDescription == OldName) SetDescription(NewName);
  if (FExtensionName.empty() || FExtensionName == OldName) SetExtensionName(NewName);
}

void TNxBaseShellObject::TryToReleaseModule(bool& Allow) { OnTryToReleaseModule(Allow); }

void TNxBaseShellObject::UpdateRegistry(bool Register) {
  if (Register) WriteClassesRootValue("CLSID\\" + GetCLSID(), "", FDescription);
  OnUpdateRegistry(this, Register);
}

void AttachComObject(TNxBaseShellObject* Component, TNxComObject* ComObject) {
  if (Component == nullptr) return;
  Component->FComObject = ComObject;
  if (ComObject != nullptr) return;
  Component->SetVCLComObject(nullptr);
  auto* Module = dynamic_cast<TNxModule*>(Component->Owner());
  if (Module == nullptr || !Module->ThreadFree()) return;
  bool Allow = true;
  Component->TryToReleaseModule(Allow);
  if (Allow) Module->Free();
}

// ---- TNxShellLink ---------------------------------------------------------------------------------

VD_DEFINE_CLASS(TNxShellLink) {
  C.Property("FileClasses", &TNxShellLink::FFileClasses, &TNxShellLink::SetFileClasses);
  C.Property("FileType", &TNxShellLink::FFileType, &TNxShellLink::SetFileType);
}

TNxShellLink::TNxShellLink(TComponent* AOwner)
    : TNxBaseShellObject(AOwner), FFiles(TStringList::Create()) {}

TNxShellLink::~TNxShellLink() = default;

void TNxShellLink::SetFileClasses(TNxFileClasses* Value) {
  if (Value == FFileClasses) return;
  if (FFileClasses) FFileClasses->RemoveFreeNotification(this);
  FFileClasses = Value;
  if (FFileClasses) FFileClasses->FreeNotification(this);
}

void TNxShellLink::SetFileType(const std::string& Value) { FFileType = Value; }

void TNxShellLink::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FFileClasses) FFileClasses = nullptr;
}

std::string TNxShellLink::GetFileName() const { return FFiles->Count() > 0 ? FFiles->Strings(0) : std::string(); }

void TNxShellLink::UpdateRegistry(bool Register) {
  inherited::UpdateRegistry(Register);
  if (FFileClasses != nullptr && FFileClasses->Count() > 0) {
    TNxFileClassesCollection* Items = FFileClasses->FileClasses();
    for (int I = 0; I < Items->Count(); ++I) {
      TNxFileClassItem* Item = Items->GetItem(I);
      if (Register) {
        if (!Item->IsRegistered()) Item->Register();
        RegisterFileType(Item->FileClassName(), true);
      } else {
        RegisterFileType(Item->FileClassName(), false);
        if (Item->IsRegistered()) Item->Unregister();
      }
    }
  } else {
    RegisterFileType(FFileType, Register);
  }
  if (!Register) DeleteEmptyRegKey(FFileType);
}

void TNxShellLink::RegisterFileType(const std::string& FileType, bool Register) {
  if (FileType.empty()) throw ENxShellExtError(SFileClassNotSpecified + Name());
  SetFileType(FileType);
}

// ---- TNxShellExtInit ------------------------------------------------------------------------------

VD_DEFINE_CLASS(TNxShellExtInit) {
  C.Property("OnShellExtInit", &TNxShellExtInit::OnShellExtInit, &TNxShellExtInit::OnShellExtInit);
  C.Property("OnShellExtInitEx", &TNxShellExtInit::OnShellExtInitEx, &TNxShellExtInit::OnShellExtInitEx);
}

TNxShellExtInit::TNxShellExtInit(TComponent* AOwner) : TNxShellLink(AOwner) {}

TNxShellExtInit::~TNxShellExtInit() { ClearSelection(); }

bool TNxShellExtInit::GetInterface(const IID& Iid, void** Obj) {
  if (!IsEqualIID(Iid, IID_IShellExtInit)) return inherited::GetInterface(Iid, Obj);
  *Obj = static_cast<IShellExtInit*>(this);
  ComAddRef();
  return true;
}

void TNxShellExtInit::ClearSelection() {
  for (int I = FItemPIDLs.Count() - 1; I >= 0; --I) FreePIDL(static_cast<LPCITEMIDLIST>(FItemPIDLs.Get(I)));
  FItemPIDLs.Clear();
  FreePIDL(FFolderPIDL);
  FFolderPIDL = nullptr;
  Files()->Clear();
  SetFolderPath("");
}

HRESULT TNxShellExtInit::ReadShellIDList(IDataObject* DataObject, bool& Malformed) {
  Malformed = false;
  if (DataObject == nullptr) return S_OK;
  TStgMedium Medium;
  HRESULT Result = GetGlobalData(DataObject, static_cast<CLIPFORMAT>(NxClipboardFormat(ncfShellIDListArray)), Medium);
  if (FAILED(Result)) return Result;
  TGlobalLock Block(Medium.Global());
  TNxCidaView Cida;
  if (!Cida.Parse(Block.Data(), Block.Size())) {
    Malformed = true;
    return E_FAIL;
  }
  Files()->Clear();
  for (UINT I = 0; I < Cida.Count(); ++I) {
    LPITEMIDLIST Absolute = ConcatPIDLs(Cida.Folder(), Cida.Item(I));
    if (Absolute == nullptr) return E_OUTOFMEMORY;
    FItemPIDLs.Add(Absolute);
    // An item without a file-system path keeps its place, so Files stays parallel to the lists.
    Files()->Add(PathOfIDList(Absolute));
  }
  return S_OK;
}

HRESULT TNxShellExtInit::ReadDropFiles(IDataObject* DataObject) {
  if (DataObject == nullptr) return E_FAIL;
  TStgMedium Medium;
  HRESULT Result = GetGlobalData(DataObject, CF_HDROP, Medium);
  if (FAILED(Result)) return Result;
  std::vector<std::string> Names;
  {
    TGlobalLock Block(Medium.Global());
    if (!ReadDropNames(Block.Data(), Block.Size(), Names)) return E_FAIL;
  }
  Files()->Clear();
  if (Names.empty()) return E_FAIL;
  for (const std::string& Name : Names) Files()->Add(Name);
  return S_OK;
}

bool TNxShellExtInit::IsControlsFolderType() const {
  static const std::string Marker = "CONTROLS FOLDER";
  if (TNxFileClasses* Classes = FileClasses()) {
    TNxFileClassesCollection* Items = Classes->FileClasses();
    for (int I = 0; I < Items->Count(); ++I)
      if (AnsiUpperCase(Items->GetItem(I)->FileClassName()).find(Marker) != std::string::npos) return true;
    return false;
  }
  return AnsiUpperCase(FileType()).find(Marker) != std::string::npos;
}

HRESULT STDMETHODCALLTYPE TNxShellExtInit::Initialize(PCIDLIST_ABSOLUTE FolderIDList, IDataObject* DataObject,
                                                      HKEY ProgIDKey) {
  return NxSafeCall(this, [&]() -> HRESULT {
    // A module is reused by later objects of its thread: nothing of an earlier selection may stay.
    ClearSelection();
    if (FolderIDList != nullptr) {
      FFolderPIDL = CopyPIDL(FolderIDList);
      SetFolderPath(PathOfIDList(FFolderPIDL));
    }
    bool Malformed = false;
    HRESULT Result = ReadShellIDList(DataObject, Malformed);
    if (FAILED(Result) && !Malformed) Result = ReadDropFiles(DataObject);

    if (OnShellExtInitEx) {
      TShellExtInitParams Params{TComPtr<IDataObject>(DataObject), Result};
      OnShellExtInitEx(this, Params);
      return Params.Result;
    }
    OnShellExtInit(this, GetFileName());
    // Control-panel pages are accepted even when no file data came.
    if (IsControlsFolderType()) Result = S_OK;
    return Result;
  });
}

// ---- Unit ------------------------------------------------------------------------------------------

void NxCustShlObjInitialize() {
  RegisterClasses({ClassOf<TNxBaseShellObject>(), ClassOf<TNxShellLink>(), ClassOf<TNxShellExtInit>()});
}

void NxCustShlObjFinalize() {
  UnRegisterClass(ClassOf<TNxShellExtInit>());
  UnRegisterClass(ClassOf<TNxShellLink>());
  UnRegisterClass(ClassOf<TNxBaseShellObject>());
}
