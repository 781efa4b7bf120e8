#include "ide/IdeStandIn.h"

#include <algorithm>

#include "classlib/ScopedHandles.h"
#include "classlib/SysUtils.h"
#include "ide/IdeInterfaced.h"

namespace {

std::string Text(const char* S) { return S ? S : ""; }

// The stand-in IDE reports its own failures the way it reports a plug-in's.
void Fail(const std::string& Message) { IdeHandleException("Exception", Message.c_str()); }

// Why a new file could not be made, in the words the IDE reports.
std::string WriteFailure(DWORD Error) {
  switch (Error) {
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return "the file already exists";
    case ERROR_ACCESS_DENIED:
      return "access denied";
    case ERROR_PATH_NOT_FOUND:
      return "the path was not found";
    default: {
      const std::string Text = SysErrorMessage(Error);
      return Text.empty() ? "system error " + IntToStr(static_cast<int>(Error)) : Text;
    }
  }
}

// Creates FileName, which must not exist yet, with Bytes; once created it is in Made, also when
// writing fails. ERROR_SUCCESS or the failure.
DWORD WriteNewFile(const std::string& FileName, const std::string& Bytes, std::vector<std::string>& Made) {
  ScopedHandle<HANDLE, FileHandleTraits> File(
      CreateFileA(FileName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!File) return GetLastError();
  Made.push_back(FileName);
  DWORD Written = 0;
  if (!WriteFile(File.get(), Bytes.data(), static_cast<DWORD>(Bytes.size()), &Written, nullptr)) return GetLastError();
  return Written == Bytes.size() ? ERROR_SUCCESS : ERROR_HANDLE_DISK_FULL;
}

// The files of one new unit (name and bytes), written all or none. The IDE never replaces a file:
// none may exist beforehand, and each is created exclusively. When one fails, those already made go
// again and the failure is reported ("Cannot write <file>: <cause>"); false then.
bool WriteNewUnit(const std::vector<std::pair<std::string, std::string>>& Files) {
  for (const auto& [FileName, Bytes] : Files)
    if (GetFileAttributesA(FileName.c_str()) != INVALID_FILE_ATTRIBUTES) {
      Fail("Cannot write " + FileName + ": " + WriteFailure(ERROR_FILE_EXISTS));
      return false;
    }
  std::vector<std::string> Made;
  for (const auto& [FileName, Bytes] : Files) {
    const DWORD Error = WriteNewFile(FileName, Bytes, Made);
    if (Error == ERROR_SUCCESS) continue;
    for (const std::string& Name : Made) DeleteFileA(Name.c_str());
    Fail("Cannot write " + FileName + ": " + WriteFailure(Error));
    return false;
  }
  return true;
}

class TModuleInfo final : public IIdeModuleInfo {
public:
  TModuleInfo(std::string FileName, std::string FormName)
      : FFileName(std::move(FileName)), FFormName(std::move(FormName)) {}
  HRESULT IDE_SLOT QueryInterface(REFIID Iid, void** Object) override {
    if (!Object) return E_POINTER;
    *Object = nullptr;
    if (Iid != IID_IUnknown) return E_NOINTERFACE;
    *Object = static_cast<IUnknown*>(this);
    AddRef();
    return S_OK;
  }
  ULONG IDE_SLOT AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&FRefCount)); }
  ULONG IDE_SLOT Release() override {
    const LONG Count = InterlockedDecrement(&FRefCount);
    if (Count == 0) delete this;
    return static_cast<ULONG>(Count);
  }
  const char* IDE_SLOT GetFileName() override { return FFileName.c_str(); }
  const char* IDE_SLOT GetFormName() override { return FFormName.c_str(); }

private:
  ~TModuleInfo() = default;
  std::string FFileName, FFormName;
  volatile LONG FRefCount = 1;
};

class TNewForm final : public TIdeInterfaced<TIFormInterface> {
public:
  explicit TNewForm(std::string Name) : FName(std::move(Name)) {}
  const char* IDE_SLOT GetFormName() override { return FName.c_str(); }

private:
  std::string FName;
};

}  // namespace

// ---- The global services object ---------------------------------------------------------------

class TStandInIde::TServices final : public IIdeModuleServices, public IIdeServices {
public:
  explicit TServices(TStandInIde& Ide) : FIde(Ide) {}
  HRESULT IDE_SLOT QueryInterface(REFIID Iid, void** Object) override {
    if (!Object) return E_POINTER;
    *Object = nullptr;
    if (Iid == IID_IUnknown || Iid == IID_IIdeModuleServices)
      *Object = static_cast<IIdeModuleServices*>(this);
    else if (Iid == IID_IIdeServices)
      *Object = static_cast<IIdeServices*>(this);
    else
      return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG IDE_SLOT AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&FRefCount)); }
  ULONG IDE_SLOT Release() override {
    const LONG Count = InterlockedDecrement(&FRefCount);
    if (Count == 0) delete this;
    return static_cast<ULONG>(Count);
  }
  int32_t IDE_SLOT GetModuleCount() override { return static_cast<int32_t>(Modules.size()); }
  IIdeModule* IDE_SLOT GetModule(int32_t Index) override {
    if (Index < 0 || static_cast<size_t>(Index) >= Modules.size()) return nullptr;
    TStandInModule* Module = Modules[static_cast<size_t>(Index)];
    Module->AddRef();
    return Module->AsModule();
  }
  HWND IDE_SLOT GetParentHandle() override { return FIde.FMainWindow; }

  std::vector<TStandInModule*> Modules;  // one reference each

private:
  ~TServices() {
    for (TStandInModule* Module : Modules) Module->Release();
  }
  TStandInIde& FIde;
  volatile LONG FRefCount = 1;
};

// The module interface ModuleCreate hands out.
class TStandInIde::TNewModule final : public TIdeInterfaced<TIModuleInterface> {
public:
  TNewModule(TStandInIde& Ide, std::string FileName) : FIde(Ide), FFileName(std::move(FileName)) {
    ++FIde.FLiveModules;
  }
  const char* IDE_SLOT GetFileName() override { return FFileName.c_str(); }

private:
  ~TNewModule() override { --FIde.FLiveModules; }
  TStandInIde& FIde;
  std::string FFileName;
};

// ---- Modules ----------------------------------------------------------------------------------

TStandInModule::~TStandInModule() {
  if (FActive) FActive->Release();
  for (IIdeModuleInfo* Info : FModules) Info->Release();
}

HRESULT TStandInModule::QueryInterface(REFIID Iid, void** Object) {
  if (!Object) return E_POINTER;
  *Object = nullptr;
  if (Iid == IID_IUnknown)
    *Object = static_cast<IUnknown*>(AsModule());
  else if (Iid == IID_IIdeProjectGroup && FKind == mkProjectGroup)
    *Object = static_cast<IIdeProjectGroup*>(this);
  else if (Iid == IID_IIdeProject && FKind == mkProject)
    *Object = static_cast<IIdeProject*>(this);
  else
    return E_NOINTERFACE;
  AddRef();
  return S_OK;
}

ULONG TStandInModule::Release() {
  const LONG Count = InterlockedDecrement(&FRefCount);
  if (Count == 0) delete this;
  return static_cast<ULONG>(Count);
}

IIdeProject* TStandInModule::GetActiveProject() {
  if (!FActive) return nullptr;
  FActive->AddRef();
  return static_cast<IIdeProject*>(FActive);
}

IIdeModuleInfo* TStandInModule::GetModuleInfo(int32_t Index) {
  if (Index < 0 || static_cast<size_t>(Index) >= FModules.size()) return nullptr;
  IIdeModuleInfo* Info = FModules[static_cast<size_t>(Index)];
  Info->AddRef();
  return Info;
}

// ---- TStandInIde ------------------------------------------------------------------------------

TStandInIde::TStandInIde() : FServices(new TServices(*this)) {}
TStandInIde::~TStandInIde() { FServices->Release(); }

IUnknown* TStandInIde::Services() const { return static_cast<IIdeModuleServices*>(FServices); }

TStandInModule* TStandInIde::Append(TStandInModule* Module) {
  FServices->Modules.push_back(Module);
  return Module;
}

TStandInModule* TStandInIde::OpenProject(const std::string& ProjectFile) {
  FProjectName = ProjectFile;
  FActiveProject = Append(new TStandInModule(TStandInModule::mkProject, ProjectFile));
  return FActiveProject;
}

TStandInModule* TStandInIde::OpenProjectGroup(const std::string& GroupFile, TStandInModule* Active) {
  TStandInModule* Group = Append(new TStandInModule(TStandInModule::mkProjectGroup, GroupFile));
  if (Active) {
    Active->AddRef();
    Group->FActive = Active;
  }
  return Group;
}

TStandInModule* TStandInIde::OpenUnit(const std::string& FileName) {
  return Append(new TStandInModule(TStandInModule::mkUnit, FileName));
}

void TStandInIde::AddToProject(TStandInModule* Project, const std::string& FileName, const std::string& FormName) {
  if (Project) Project->FModules.push_back(new TModuleInfo(FileName, FormName));
}

const char* TStandInIde::GetProjectName() { return FProjectName.c_str(); }

bool TStandInIde::IsFileOpen(const char* FileName) {
  const std::string Name = Text(FileName);
  return std::any_of(FOpenFiles.begin(), FOpenFiles.end(),
                     [&](const std::string& Open) { return SameText(Open, Name); });
}

TIModuleInterface* TStandInIde::ModuleCreate(TIModuleCreatorEx* Creator, uint16_t CreateFlags) {
  TIModuleInterface* Module = nullptr;
  CallGuarded([&] { Module = CreateModule(Creator, CreateFlags); });
  return Module;
}

TIModuleInterface* TStandInIde::CreateModule(TIModuleCreatorEx* Creator, uint16_t CreateFlags) {
  if (!Creator) return nullptr;
  // The names first, as the IDE asks for them.
  Creator->Existing();
  const std::string Ancestor = Text(Creator->GetAncestorName());
  const std::string FileName = Text(Creator->GetFileName());
  Creator->GetFileSystem();
  Creator->GetFormName();
  if (FileName.empty()) {
    Fail("The stand-in IDE creates modules only under the creator's file name");
    return nullptr;
  }
  const std::string UnitIdent = ChangeFileExt(ExtractFileName(FileName), "");
  const std::string FormIdent = Ancestor + "1";

  const char* Source = Creator->NewModuleSource(UnitIdent.c_str(), FormIdent.c_str(), Ancestor.c_str());
  if (!Source) return nullptr;
  const std::string ModuleSource = Source;
  std::string IntfName, IntfSource;
  if (FCppIde) {
    const char* Name = Creator->GetIntfName();
    if (!Name) return nullptr;
    IntfName = Name;
    const char* Header = Creator->NewIntfSource(UnitIdent.c_str(), FormIdent.c_str(), Ancestor.c_str());
    if (!Header) return nullptr;
    IntfSource = Header;
  }
  auto* Form = new TNewForm(FormIdent);
  Creator->FormCreated(Form);
  Form->Release();
  if (IdeLastException()) return nullptr;

  std::vector<std::pair<std::string, std::string>> Files{{FileName, ModuleSource}};
  if (!IntfName.empty()) Files.emplace_back(ExtractFilePath(FileName) + IntfName, IntfSource);
  if (!WriteNewUnit(Files)) return nullptr;
  for (const auto& File : Files) {
    FWritten.push_back(File.first);
    MarkOpen(File.first);
  }
  if (CreateFlags & cmAddToProject) AddToProject(FActiveProject, FileName, FormIdent);
  return new TNewModule(*this, FileName);
}
