// The components that stand for shell extensions on a data module. Each one becomes a COM class
// (NxComObj): its CLSID, Name and Description are the class's identity, and the COM object made
// for it hands interface queries on to the component.
//
//   TNxBaseShellObject  identity and registration of the class (IPersist)
//   TNxShellLink        bound to a file type or to file classes; the selected files
//   TNxShellExtInit     learns the shell's selection through IShellExtInit
//
// Every interface of these components counts on the COM object bound to the component (its
// VCLComObject), so an interface handed to the shell keeps that object alive.
#pragma once

#include <windows.h>
#include <objidl.h>
#include <shlobj.h>

#include <string>

#include "classlib/Classes.h"
#include "classlib/ComServ.h"
#include "nx/NxFileClasses.h"

class TNxComObject;

VD_DECLARE_EXCEPTION(ENxShellExtError, Exception);

inline constexpr const char* SRegistrationFailed = "Registration failed";
inline constexpr const char* SFileClassNotSpecified = "File class is not specified for component ";

// The component behind any interface of a shell object.
inline constexpr IID IID_INxShellObject = {0xD733B3DD, 0x5CBD, 0x4137, {0x99, 0xD8, 0xE6, 0xF7, 0x7E, 0xA6, 0x06, 0x93}};
struct INxShellObject : public IUnknown {
  virtual TComponent* STDMETHODCALLTYPE GetComponent() = 0;
};

// The IUnknown of a component's interfaces: forwarded to the bound COM object.
#define NX_COMPONENT_IUNKNOWN                                                                  \
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID Iid, void** Obj) override {                   \
    return ComQueryInterface(Iid, Obj);                                                         \
  }                                                                                             \
  ULONG STDMETHODCALLTYPE AddRef() override { return ComAddRef(); }                             \
  ULONG STDMETHODCALLTYPE Release() override { return ComRelease(); }

using TNxBeforeUpdateRegistry = TEvent<TObject* /*Sender*/, bool /*Register*/>;
using TNxAfterUpdateRegistry = TEvent<TObject* /*Sender*/, bool /*Register*/>;
using TNxOnUpdateRegistry = TEvent<TObject* /*Sender*/, bool /*Register*/>;
using TTryToReleaseModuleEvent = TEvent<bool& /*Allow*/>;

// ---- GUID text and HKEY_CLASSES_ROOT --------------------------------------------------------------

// Only the 38-character registry form converts; anything else raises Exception with the system's
// text for CO_E_CLASSSTRING.
GUID StrToCLSID(const std::string& Text);
std::string CLSIDToStr(const GUID& Clsid);
// HKCR\Key, value ValueName ("" = the default value) := Value as REG_SZ with its terminating zero.
// Raises Exception "Registration failed" when the key can't be created or the value written.
void WriteClassesRootValue(const std::string& Key, const std::string& ValueName, const std::string& Value);
// Deletes HKCR\Key (a key without subkeys); the result is ignored.
void DeleteClassesRootKey(const std::string& Key);

// ---- TNxBaseShellObject ---------------------------------------------------------------------------

class TNxBaseShellObject : public TComponent, public IPersist, public INxShellObject {
  VD_CLASS(TNxBaseShellObject, TComponent);

public:
  // A fresh CLSID only while designed; at run time the streamed one counts.
  explicit TNxBaseShellObject(TComponent* AOwner);
  // A component freed while bound lets its COM object know.
  void BeforeDestruction() override;

  NX_COMPONENT_IUNKNOWN
  // IPersist
  HRESULT STDMETHODCALLTYPE GetClassID(GUID* ClassID) override;
  // INxShellObject
  TComponent* STDMETHODCALLTYPE GetComponent() override { return this; }
  bool GetInterface(const IID& Iid, void** Obj) override;

  // The class identity: published as "CLSID" in registry form.
  const GUID& ClassID() const noexcept { return FCLSID; }
  std::string GetCLSID() const { return CLSIDToStr(FCLSID); }
  // Converts first: a malformed text raises and leaves the CLSID as it was.
  virtual void SetCLSID(const std::string& Text);
  // The 16-byte value itself (a designer that parsed the text already).
  void SetClassID(const GUID& Value) noexcept { FCLSID = Value; }
  const std::string& Description() const noexcept { return FDescription; }
  virtual void SetDescription(const std::string& Value);
  // The handler's key name under the file type.
  const std::string& ExtensionName() const noexcept { return FExtensionName; }
  virtual void SetExtensionName(const std::string& Value);
  bool RefreshWhenRegistered() const noexcept { return FRefreshWhenRegistered; }
  void SetRefreshWhenRegistered(bool Value) noexcept { FRefreshWhenRegistered = Value; }

  // Renaming carries the new name into Description and ExtensionName while they are empty or
  // still equal to the old name.
  void SetName(const std::string& NewName) override;

  // Asked when the COM object of a thread-free module goes away: False keeps the module alive.
  // The base asks OnTryToReleaseModule.
  virtual void TryToReleaseModule(bool& Allow);
  // Registering writes HKCR\CLSID\{id} = Description; both directions then call OnUpdateRegistry.
  virtual void UpdateRegistry(bool Register);

  // The COM object bound to this component, nil when none.
  TNxComObject* ComObject() const noexcept { return FComObject; }

  TNxBeforeUpdateRegistry BeforeUpdateRegistry;
  TNxAfterUpdateRegistry AfterUpdateRegistry;
  TNxOnUpdateRegistry OnUpdateRegistry;
  TTryToReleaseModuleEvent OnTryToReleaseModule;

protected:
  ~TNxBaseShellObject() override;

private:
  friend void AttachComObject(TNxBaseShellObject* Component, TNxComObject* ComObject);

  GUID FCLSID{};
  std::string FDescription;
  std::string FExtensionName;
  bool FRefreshWhenRegistered = false;
  TNxComObject* FComObject = nullptr;
};

// Binds Component to ComObject, or (nil) unbinds it: the component's VCLComObject is cleared and,
// when its owner is a thread-free module and TryToReleaseModule allows it, the owner is freed
// (together with the component).
void AttachComObject(TNxBaseShellObject* Component, TNxComObject* ComObject);

// ---- TNxShellLink ---------------------------------------------------------------------------------

class TNxShellLink : public TNxBaseShellObject {
  VD_CLASS(TNxShellLink, TNxBaseShellObject);

public:
  explicit TNxShellLink(TComponent* AOwner);

  TNxFileClasses* FileClasses() const noexcept { return FFileClasses; }
  void SetFileClasses(TNxFileClasses* Value);
  // A registry file type ("vdsfile") or a name beginning "Controls Folder\".
  const std::string& FileType() const noexcept { return FFileType; }
  virtual void SetFileType(const std::string& Value);
  // Full paths of the selected files, in selection order.
  TStringList* Files() const noexcept { return FFiles.get(); }
  // The file-system path of the folder the selection was made in; empty when it has none.
  const std::string& FolderPath() const noexcept { return FFolderPath; }
  // Files[0], or "" when nothing is selected.
  std::string GetFileName() const;

  // The inherited step, then the file types: each file class (registered first when it is not
  // yet) or else FileType. Unregistering removes FileType's key at the end when it is empty.
  void UpdateRegistry(bool Register) override;
  // An empty file type raises ENxShellExtError "File class is not specified for component <Name>";
  // otherwise it becomes FileType. Descendants add their keys after calling it.
  virtual void RegisterFileType(const std::string& FileType, bool Register);

protected:
  ~TNxShellLink() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void SetFolderPath(const std::string& Value) { FFolderPath = Value; }

private:
  TNxFileClasses* FFileClasses = nullptr;
  std::string FFileType;
  TObjectPtr<TStringList> FFiles;
  std::string FFolderPath;
};

// ---- TNxShellExtInit ------------------------------------------------------------------------------

// What OnShellExtInitEx gets: the shell's data object (held while the record lives) and the
// result that Initialize returns, which the handler may change.
struct TShellExtInitParams {
  TComPtr<IDataObject> DataObject;
  HRESULT Result = S_OK;
};

using TOnShellExtInit = TEvent<TObject* /*Sender*/, const std::string& /*FileName*/>;
using TOnShellExtInitEx = TEvent<TObject* /*Sender*/, TShellExtInitParams& /*Params*/>;

class TNxShellExtInit : public TNxShellLink, public IShellExtInit {
  VD_CLASS(TNxShellExtInit, TNxShellLink);

public:
  explicit TNxShellExtInit(TComponent* AOwner);

  NX_COMPONENT_IUNKNOWN
  bool GetInterface(const IID& Iid, void** Obj) override;

  // IShellExtInit. Forgets the previous selection, then takes the folder and the selection (the
  // "Shell IDList Array" format, else CF_HDROP), then calls the events. A malformed IDList array
  // gives E_FAIL. Nothing raised escapes: exceptions become the mapped HRESULT.
  HRESULT STDMETHODCALLTYPE Initialize(PCIDLIST_ABSOLUTE FolderIDList, IDataObject* DataObject,
                                       HKEY ProgIDKey) override;

  // The folder's item-id list (owned), nil when the shell gave none.
  LPCITEMIDLIST FolderPIDL() const noexcept { return FFolderPIDL; }
  // The absolute item-id lists of the selected items (owned; from the IDList array only).
  int ItemPIDLCount() const noexcept { return FItemPIDLs.Count(); }
  LPCITEMIDLIST ItemPIDL(int Index) const { return static_cast<LPCITEMIDLIST>(FItemPIDLs.Get(Index)); }

  TOnShellExtInit OnShellExtInit;
  TOnShellExtInitEx OnShellExtInitEx;

protected:
  ~TNxShellExtInit() override;

private:
  void ClearSelection();
  HRESULT ReadShellIDList(IDataObject* DataObject, bool& Malformed);
  HRESULT ReadDropFiles(IDataObject* DataObject);
  bool IsControlsFolderType() const;

  LPITEMIDLIST FFolderPIDL = nullptr;
  TList FItemPIDLs;
};

// Unit start-up registers the shell-object classes for form resources; shutdown takes them out.
void NxCustShlObjInitialize();
void NxCustShlObjFinalize();
