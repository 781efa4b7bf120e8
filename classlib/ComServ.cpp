#include "classlib/ComServ.h"

#include <olectl.h>

#include <algorithm>
#include <cstdio>
#include <mutex>

#include "classlib/ScopedHandles.h"
#include "classlib/TypInfo.h"
#include "classlib/UnitInit.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace {

void ReportFailure(const char* Where, const char* What) {
  std::string text = std::string("COM server: ") + Where + " failed";
  if (What != nullptr && *What != '\0') text += std::string(": ") + What;
  text += "\n";
  OutputDebugStringA(text.c_str());
}

// Unit shutdown frees the factories; the server object itself lives until the module goes.
void ComServInitialize() { ComServer(); }
void ComServFinalize() { ComServer()->FreeFactories(); }

const TUnitRegistration kUnit(urClassLibrary + 90, {"ComServ", &ComServInitialize, &ComServFinalize});

}  // namespace

// ---- TComObject ---------------------------------------------------------------------------------

VD_DEFINE_CLASS(TComObject) {}

TComObject::TComObject(TComObjectFactory* Factory, IUnknown* Controller)
    : FFactory(Factory), FController(Controller) {
  ::ComServer()->CountObject(true);
}

TComObject::~TComObject() { ::ComServer()->CountObject(false); }

void TComObject::AfterConstruction() {
  inherited::AfterConstruction();
  Initialize();
}

HRESULT STDMETHODCALLTYPE TComObject::QueryInterface(REFIID Iid, void** Obj) {
  return FController ? FController->QueryInterface(Iid, Obj) : ObjQueryInterface(Iid, Obj);
}

ULONG STDMETHODCALLTYPE TComObject::AddRef() { return FController ? FController->AddRef() : ObjAddRef(); }

ULONG STDMETHODCALLTYPE TComObject::Release() { return FController ? FController->Release() : ObjRelease(); }

bool TComObject::GetComInterface(REFIID Iid, void** Obj) {
  if (IsEqualIID(Iid, IID_IUnknown)) {
    *Obj = static_cast<IUnknown*>(this);
    return true;
  }
  return false;
}

HRESULT TComObject::ObjQueryInterface(REFIID Iid, void** Obj) {
  if (Obj == nullptr) return E_POINTER;
  *Obj = nullptr;
  if (!GetComInterface(Iid, Obj)) return E_NOINTERFACE;
  static_cast<IUnknown*>(*Obj)->AddRef();
  return S_OK;
}

ULONG TComObject::ObjAddRef() { return static_cast<ULONG>(InterlockedIncrement(&FRefCount)); }

ULONG TComObject::ObjRelease() {
  LONG Count = InterlockedDecrement(&FRefCount);
  if (Count == 0) {
    try {
      Free();
    } catch (const std::exception& E) {
      ReportFailure("freeing an object", E.what());
    } catch (...) {
      ReportFailure("freeing an object", nullptr);
    }
  }
  return static_cast<ULONG>(Count);
}

// ---- TComObjectFactory ----------------------------------------------------------------------------

VD_DEFINE_CLASS(TComObjectFactory) {}

const char* ThreadingModelName(TThreadingModel Model) {
  switch (Model) {
    case tmApartment: return "Apartment";
    case tmFree: return "Free";
    case tmBoth: return "Both";
    case tmNeutral: return "Neutral";
    case tmSingle: break;
  }
  return "";
}

TComObjectFactory::TComObjectFactory(TComServer* ComServer, TComClass ComClass, const GUID& ClassID,
                                     const std::string& ClassName, const std::string& Description,
                                     TClassInstancing Instancing, TThreadingModel ThreadingModel)
    : FComServer(ComServer),
      FComClass(ComClass),
      FClassID(ClassID),
      FClassName(ClassName),
      FDescription(Description),
      FInstancing(Instancing),
      FThreadingModel(ThreadingModel) {
  if (FComServer) FComServer->AddFactory(this);
}

TComObjectFactory::~TComObjectFactory() {
  if (FComServer) FComServer->RemoveFactory(this);
}

TComPtr<TComObject> TComObjectFactory::CreateComObject(IUnknown* Controller) {
  if (!FComClass) return nullptr;
  return TComPtr<TComObject>::Adopt(FComClass.Create(this));
}

void TComObjectFactory::UpdateRegistry(bool Register) {
  if (FInstancing == ciInternal) return;
  const std::string ClassKey = "CLSID\\" + GUIDToString(FClassID);
  const std::string ServerKey = ClassKey + "\\InprocServer32";
  if (Register) {
    CreateRegKey(ClassKey, "", FDescription);
    CreateRegKey(ServerKey, "", FComServer ? FComServer->ServerFileName() : std::string());
    if (FThreadingModel != tmSingle) CreateRegKey(ServerKey, "ThreadingModel", ThreadingModelName(FThreadingModel));
  } else {
    RegDeleteKeyA(HKEY_CLASSES_ROOT, ServerKey.c_str());
    RegDeleteKeyA(HKEY_CLASSES_ROOT, ClassKey.c_str());
  }
}

HRESULT STDMETHODCALLTYPE TComObjectFactory::QueryInterface(REFIID Iid, void** Obj) {
  if (Obj == nullptr) return E_POINTER;
  if (IsEqualIID(Iid, IID_IUnknown) || IsEqualIID(Iid, IID_IClassFactory)) {
    *Obj = static_cast<IClassFactory*>(this);
    AddRef();
    return S_OK;
  }
  *Obj = nullptr;
  return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE TComObjectFactory::AddRef() {
  return FComServer ? static_cast<ULONG>(FComServer->CountLock(true)) : 1;
}

ULONG STDMETHODCALLTYPE TComObjectFactory::Release() {
  return FComServer ? static_cast<ULONG>(FComServer->CountLock(false)) : 1;
}

HRESULT STDMETHODCALLTYPE TComObjectFactory::CreateInstance(IUnknown* Outer, REFIID Iid, void** Obj) {
  if (Obj == nullptr) return E_POINTER;
  *Obj = nullptr;
  if (Outer != nullptr) return CLASS_E_NOAGGREGATION;
  try {
    TComPtr<TComObject> Object = CreateComObject(nullptr);
    if (!Object) return CLASS_E_CLASSNOTAVAILABLE;
    // The object may be one that already lives: our reference goes, whatever QI says.
    return Object->QueryInterface(Iid, Obj);
  } catch (const EOleSysError& E) {
    ReportFailure("CreateInstance", E.what());
    return FAILED(E.ErrorCode) ? E.ErrorCode : E_FAIL;
  } catch (const std::exception& E) {
    ReportFailure("CreateInstance", E.what());
    return E_FAIL;
  } catch (...) {
    ReportFailure("CreateInstance", nullptr);
    return E_FAIL;
  }
}

HRESULT STDMETHODCALLTYPE TComObjectFactory::LockServer(BOOL Lock) {
  if (FComServer) FComServer->CountLock(Lock != FALSE);
  return S_OK;
}

// ---- TComServer ---------------------------------------------------------------------------------

// Many readers or one writer. Writers pass a gate that new readers also pass, then wait until the
// readers inside have left. Reads must not nest (a waiting writer would hold the inner one back).
class TComServer::TFactoryLock {
public:
  TFactoryLock() {
    InitializeCriticalSection(&FGate);
    InitializeCriticalSection(&FCount);
    FNoReaders = CreateEventA(nullptr, TRUE, TRUE, nullptr);
  }
  ~TFactoryLock() {
    if (FNoReaders) CloseHandle(FNoReaders);
    DeleteCriticalSection(&FCount);
    DeleteCriticalSection(&FGate);
  }
  TFactoryLock(const TFactoryLock&) = delete;
  TFactoryLock& operator=(const TFactoryLock&) = delete;

  void BeginRead() {
    EnterCriticalSection(&FGate);
    EnterCriticalSection(&FCount);
    if (++FReaders == 1) ResetEvent(FNoReaders);
    LeaveCriticalSection(&FCount);
    LeaveCriticalSection(&FGate);
  }
  void EndRead() {
    EnterCriticalSection(&FCount);
    if (--FReaders == 0) SetEvent(FNoReaders);
    LeaveCriticalSection(&FCount);
  }
  void BeginWrite() {
    EnterCriticalSection(&FGate);
    WaitForSingleObject(FNoReaders, INFINITE);
  }
  void EndWrite() { LeaveCriticalSection(&FGate); }

  class TRead {
  public:
    explicit TRead(TFactoryLock& Lock) : FLock(Lock) { FLock.BeginRead(); }
    ~TRead() { FLock.EndRead(); }
    TRead(const TRead&) = delete;
    TRead& operator=(const TRead&) = delete;

  private:
    TFactoryLock& FLock;
  };

private:
  CRITICAL_SECTION FGate;
  CRITICAL_SECTION FCount;
  HANDLE FNoReaders = nullptr;
  int FReaders = 0;
};

VD_DEFINE_CLASS(TComServer) {}

TComServer::TComServer() : FLock(std::make_unique<TFactoryLock>()) {}

TComServer::~TComServer() = default;

LONG TComServer::CountObject(bool Created) noexcept {
  return Created ? InterlockedIncrement(&FObjectCount) : InterlockedDecrement(&FObjectCount);
}

LONG TComServer::CountLock(bool Locked) noexcept {
  return Locked ? InterlockedIncrement(&FLockCount) : InterlockedDecrement(&FLockCount);
}

HRESULT TComServer::CanUnloadNow() const noexcept {
  return FObjectCount == 0 && FLockCount == 0 ? S_OK : S_FALSE;
}

void TComServer::AddFactory(TComObjectFactory* Factory) {
  FLock->BeginWrite();
  FFactories.push_back(Factory);
  FLock->EndWrite();
}

void TComServer::RemoveFactory(TComObjectFactory* Factory) {
  FLock->BeginWrite();
  FFactories.erase(std::remove(FFactories.begin(), FFactories.end(), Factory), FFactories.end());
  FLock->EndWrite();
}

std::vector<TComObjectFactory*> TComServer::Factories() const {
  TFactoryLock::TRead Guard(*FLock);
  return FFactories;
}

int TComServer::FactoryCount() const {
  TFactoryLock::TRead Guard(*FLock);
  return static_cast<int>(FFactories.size());
}

TComObjectFactory* TComServer::GetFactoryFromClassID(REFCLSID Clsid) const {
  TFactoryLock::TRead Guard(*FLock);
  for (TComObjectFactory* F : FFactories)
    if (IsEqualCLSID(F->ClassID(), Clsid)) return F;
  return nullptr;
}

TComObjectFactory* TComServer::GetFactoryFromClassName(const std::string& Name) const {
  TFactoryLock::TRead Guard(*FLock);
  for (TComObjectFactory* F : FFactories)
    if (AnsiSameText(F->ClassName(), Name)) return F;
  return nullptr;
}

void TComServer::FreeFactories() {
  // Each factory leaves the list as it goes.
  for (;;) {
    TComObjectFactory* Last = nullptr;
    {
      TFactoryLock::TRead Guard(*FLock);
      if (FFactories.empty()) return;
      Last = FFactories.back();
    }
    try {
      Last->Free();
    } catch (...) {
      ReportFailure("freeing a factory", nullptr);
      RemoveFactory(Last);
    }
  }
}

void TComServer::UpdateRegistry(bool Register) {
  std::vector<TComObjectFactory*> List = Factories();
  if (Register) {
    for (TComObjectFactory* F : List) F->UpdateRegistry(true);
    return;
  }
  // Unregistering removes as much as it can.
  std::exception_ptr First;
  for (auto It = List.rbegin(); It != List.rend(); ++It) {
    try {
      (*It)->UpdateRegistry(false);
    } catch (...) {
      if (!First) First = std::current_exception();
    }
  }
  if (First) std::rethrow_exception(First);
}

HRESULT TComServer::GetClassObject(REFCLSID Clsid, REFIID Iid, void** Obj) noexcept {
  if (Obj == nullptr) return E_POINTER;
  *Obj = nullptr;
  TComObjectFactory* Factory = GetFactoryFromClassID(Clsid);
  if (Factory == nullptr || Factory->Instancing() == ciInternal) return CLASS_E_CLASSNOTAVAILABLE;
  HRESULT Result = Factory->QueryInterface(Iid, Obj);
  if (FAILED(Result)) *Obj = nullptr;
  return Result;
}

HINSTANCE TComServer::ServerInstance() const noexcept { return reinterpret_cast<HINSTANCE>(&__ImageBase); }

std::string TComServer::ServerFileName() const {
  char Path[MAX_PATH];
  DWORD N = GetModuleFileNameA(ServerInstance(), Path, MAX_PATH);
  return N > 0 && N < MAX_PATH ? std::string(Path, N) : std::string();
}

TComServer* ComServer() {
  // Destroyed with the module; the factories are freed earlier, at the unit's shutdown.
  static TComServer Server;
  return &Server;
}

// ---- The exports ----------------------------------------------------------------------------------

namespace {
HRESULT RunRegistration(bool Register) noexcept {
  const char* Where = Register ? "DllRegisterServer" : "DllUnregisterServer";
  try {
    EnsureUnitsStarted();
    ComServer()->UpdateRegistry(Register);
    return S_OK;
  } catch (const Exception& E) {
    ReportFailure(Where, E.what());
    return SELFREG_E_CLASS;
  } catch (const std::exception& E) {
    ReportFailure(Where, E.what());
    return E_FAIL;
  } catch (...) {
    ReportFailure(Where, nullptr);
    return E_FAIL;
  }
}
}  // namespace

HRESULT ComServerDllGetClassObject(REFCLSID Clsid, REFIID Iid, void** Obj) noexcept {
  if (Obj != nullptr) *Obj = nullptr;
  try {
    EnsureUnitsStarted();
    return ComServer()->GetClassObject(Clsid, Iid, Obj);
  } catch (...) {
    if (Obj != nullptr) *Obj = nullptr;
    return E_UNEXPECTED;
  }
}

HRESULT ComServerDllCanUnloadNow() noexcept {
  try {
    EnsureUnitsStarted();
    return ComServer()->CanUnloadNow();
  } catch (...) {
    return S_FALSE;
  }
}

HRESULT ComServerDllRegisterServer() noexcept { return RunRegistration(true); }

HRESULT ComServerDllUnregisterServer() noexcept { return RunRegistration(false); }
