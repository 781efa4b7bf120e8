#include "nx/NxComObj.h"

#include <shlobj.h>

#include <atomic>

#include "classlib/TypInfo.h"
#include "nx/NxTools.h"
#include "nx/NxUnitOrder.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace {

// One module made for an apartment thread. Thread ids are reused by Windows, so a new thread may
// inherit the module of a dead one; modules are non-visual, so that does no harm.
struct TThreadModuleRecord {
  DWORD ThreadId;
  TNxModule* Module;
};

TThreadList* g_threadModules = nullptr;          // of TThreadModuleRecord*
std::vector<HMODULE>* g_seenModules = nullptr;   // under the global lock
std::atomic<TNxAssocChangedNotify> g_assocChanged{nullptr};

const TUnitRegistration kUnit(nxrComObj, {"NxComObj", &NxComObjInitialize, &NxComObjFinalize});

void ModuleCreatedHook(TNxModule* Module) {
  if (Module->ThreadFree() || g_threadModules == nullptr) return;
  try {
    g_threadModules->Add(new TThreadModuleRecord{GetCurrentThreadId(), Module});
  } catch (...) {
    OutputDebugStringA("NxComObj: a module could not be recorded for its thread\n");
  }
}

void ModuleDestroyedHook(TNxModule* Module) {
  if (g_threadModules == nullptr) return;
  TLockedList List(*g_threadModules);
  for (int I = List->Count() - 1; I >= 0; --I) {
    auto* Record = static_cast<TThreadModuleRecord*>(List->Get(I));
    if (Record->Module != Module) continue;
    List->Delete(I);
    delete Record;
  }
}

// Worker threads of the shell come and go; the library needs no notice of them. The visit
// happens once per module of the process that holds this code (the library itself here).
bool DisableModuleThreadCalls(HMODULE Module) {
  if (g_seenModules == nullptr) return false;
  for (HMODULE Seen : *g_seenModules)
    if (Seen == Module) return false;
  g_seenModules->push_back(Module);
  char Path[MAX_PATH] = "";
  GetModuleFileNameA(Module, Path, MAX_PATH);
  const HMODULE Self = reinterpret_cast<HMODULE>(&__ImageBase);
  // The loader ignores this for a library with static thread-local storage.
  if (Module == Self || AnsiSameText(ExtractFileExt(Path), ".BPL")) DisableThreadLibraryCalls(Module);
  return true;
}

TNxBaseShellObject* ShellObjectOf(TNxModule* Module, const std::string& Name) {
  return Module ? dynamic_cast<TNxBaseShellObject*>(Module->FindComponent(Name)) : nullptr;
}

void DefaultAssocChanged() { SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr); }

// Frees a module made for one registration on every way out.
class TModuleUse {
public:
  TModuleUse(TNxModule* Module, bool FreeAfterUse) : FModule(Module), FFree(FreeAfterUse) {}
  ~TModuleUse() {
    if (FFree && FModule) FModule->Free();
  }
  TModuleUse(const TModuleUse&) = delete;
  TModuleUse& operator=(const TModuleUse&) = delete;

private:
  TNxModule* FModule;
  bool FFree;
};

// The newest module of ModuleClass recorded for this thread that Accept takes (nil when none
// does). Accept runs with the list locked; the lock is let go on every way out.
template <class F> TNxModule* NewestThreadModule(TNxModuleClass ModuleClass, F&& Accept) {
  TThreadList* Modules = g_threadModules;
  if (Modules == nullptr || !ModuleClass) return nullptr;
  const DWORD Thread = GetCurrentThreadId();
  TLockedList List(*Modules);
  for (int I = List->Count() - 1; I >= 0; --I) {
    auto* Record = static_cast<TThreadModuleRecord*>(List->Get(I));
    // Class names, not class identity: a module class is known by its name.
    if (Record->ThreadId == Thread && AnsiSameText(Record->Module->ClassName(), ModuleClass->ClassName()) &&
        Accept(Record->Module))
      return Record->Module;
  }
  return nullptr;
}

// The shell object of that name in the newest module of this thread that no object holds.
TNxBaseShellObject* IdleThreadComponent(TNxModuleClass ModuleClass, const std::string& Name) {
  TNxBaseShellObject* Idle = nullptr;
  NewestThreadModule(ModuleClass, [&](TNxModule* Module) {
    TNxBaseShellObject* Component = ShellObjectOf(Module, Name);
    if (Component == nullptr || Component->ComObject() != nullptr) return false;
    Idle = Component;
    return true;
  });
  return Idle;
}

}  // namespace

// ---- TNxComObject ---------------------------------------------------------------------------------

VD_DEFINE_CLASS(TNxComObject) {}

TNxComObject::TNxComObject(TComObjectFactory* Factory, TNxBaseShellObject* Component)
    : TComObject(Factory, nullptr), FComponent(Component) {}

void TNxComObject::Initialize() {
  {
    TNxGlobalLockGuard Guard;
    DisableModuleThreadCalls(reinterpret_cast<HMODULE>(&__ImageBase));
  }
  inherited::Initialize();
  if (FComponent) {
    FComponent->SetVCLComObject(static_cast<IVCLComObject*>(this));
    AttachComObject(FComponent, this);
  }
}

void TNxComObject::BeforeDestruction() {
  if (TNxBaseShellObject* Component = FComponent) {
    FComponent = nullptr;
    AttachComObject(Component, nullptr);
  }
  inherited::BeforeDestruction();
}

void TNxComObject::ComponentDestroyed() noexcept { FComponent = nullptr; }

bool TNxComObject::GetComInterface(REFIID Iid, void** Obj) {
  if (IsEqualIID(Iid, IID_IVCLComObject)) {
    *Obj = static_cast<IVCLComObject*>(this);
    return true;
  }
  return inherited::GetComInterface(Iid, Obj);
}

HRESULT TNxComObject::ObjQueryInterface(REFIID Iid, void** Obj) {
  HRESULT Result = inherited::ObjQueryInterface(Iid, Obj);
  if (FAILED(Result) && Obj != nullptr && FComponent != nullptr && FComponent->GetInterface(Iid, Obj)) return S_OK;
  return Result;
}

ULONG TNxComObject::ObjAddRef() { return inherited::ObjAddRef(); }

ULONG TNxComObject::ObjRelease() { return inherited::ObjRelease(); }

HRESULT STDMETHODCALLTYPE TNxComObject::GetTypeInfoCount(UINT*) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE TNxComObject::GetTypeInfo(UINT, LCID, ITypeInfo**) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE TNxComObject::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE TNxComObject::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                                UINT*) {
  return E_NOTIMPL;
}

// ---- TNxComObjectFactory --------------------------------------------------------------------------

VD_DEFINE_CLASS(TNxComObjectFactory) {}

TNxComObjectFactory::TNxComObjectFactory(TComServer* ComServer, TNxModuleClass ModuleClass, const GUID& ClassID,
                                         const std::string& ClassName, const std::string& Description)
    : TComObjectFactory(ComServer, nullptr, ClassID, ClassName, Description, ciMultiInstance, tmApartment),
      FModuleClass(ModuleClass) {}

TComPtr<TComObject> TNxComObjectFactory::CreateComObject(IUnknown* Controller) {
  TNxModule* Module = FindThreadModule(FModuleClass);
  if (Module == nullptr) Module = FModuleClass.Create(nullptr);  // recorded for this thread
  TNxBaseShellObject* Component = ShellObjectOf(Module, ClassName());
  if (Component == nullptr) return nullptr;
  if (Component->ComObject() != nullptr)
    // Busy with another object: an older module of this thread whose component is free serves
    // this one, so that pairs of objects on one thread do not pile up modules.
    if (TNxBaseShellObject* Idle = IdleThreadComponent(FModuleClass, ClassName())) Component = Idle;
  if (TNxComObject* Bound = Component->ComObject()) {
    // Busy with another object: a sibling module serves this one.
    TNxModule* Further = FModuleClass.Create(nullptr);
    Component = ShellObjectOf(Further, ClassName());
    if (Component == nullptr) {
      Further->Free();
      return TComPtr<TComObject>(Bound);
    }
  }
  return TComObject::CreateFromFactory<TNxComObject>(this, Component);
}

TNxModule* TNxComObjectFactory::RegistrationModule(bool& FreeAfterUse) {
  FreeAfterUse = false;
  TNxModule* Module = FindThreadModule(FModuleClass);
  // A module made here stays for this thread like any other.
  return Module ? Module : FModuleClass.Create(nullptr);
}

void TNxComObjectFactory::UpdateRegistry(bool Register) {
  inherited::UpdateRegistry(Register);
  bool FreeAfterUse = false;
  TNxModule* Module = RegistrationModule(FreeAfterUse);
  TModuleUse Use(Module, FreeAfterUse);
  TNxBaseShellObject* Component = ShellObjectOf(Module, ClassName());
  if (Component == nullptr) return;
  Component->BeforeUpdateRegistry(Component, Register);
  Component->UpdateRegistry(Register);
  if (Component->RefreshWhenRegistered()) {
    TNxAssocChangedNotify Notify = g_assocChanged.load(std::memory_order_acquire);
    (Notify ? Notify : &DefaultAssocChanged)();
  }
  Component->AfterUpdateRegistry(Component, Register);
}

// ---- TNxThreadFreeComObjectFactory ----------------------------------------------------------------

VD_DEFINE_CLASS(TNxThreadFreeComObjectFactory) {}

TComPtr<TComObject> TNxThreadFreeComObjectFactory::CreateComObject(IUnknown* Controller) {
  TNxModule* Module = ModuleClass().Create(nullptr);  // never recorded: it is thread-free
  TNxBaseShellObject* Component = ShellObjectOf(Module, ClassName());
  if (Component == nullptr) {
    Module->Free();
    return nullptr;
  }
  if (TNxComObject* Bound = Component->ComObject()) return TComPtr<TComObject>(Bound);
  // From here the module goes with the object.
  return TComObject::CreateFromFactory<TNxComObject>(this, Component);
}

TNxModule* TNxThreadFreeComObjectFactory::RegistrationModule(bool& FreeAfterUse) {
  FreeAfterUse = true;
  return ModuleClass().Create(nullptr);
}

// ---- Registration and lookup ------------------------------------------------------------------------

bool RegisterNxDataModule(TComServer* ComServer, TNxModuleClass ModuleClass) {
  EnsureUnitsStarted();
  TNxModule* Temporary = ModuleClass.Create(nullptr);
  TModuleUse Use(Temporary, true);
  for (int I = 0; I < Temporary->ComponentCount(); ++I) {
    auto* Shell = dynamic_cast<TNxBaseShellObject*>(Temporary->Components(I));
    if (Shell == nullptr) continue;
    if (Temporary->ThreadFree())
      TNxThreadFreeComObjectFactory::Create(ComServer, ModuleClass, Shell->ClassID(), Shell->Name(),
                                            Shell->Description());
    else
      TNxComObjectFactory::Create(ComServer, ModuleClass, Shell->ClassID(), Shell->Name(), Shell->Description());
  }
  return true;
}

TNxModule* FindThreadModule(TNxModuleClass ModuleClass) {
  EnsureUnitsStarted();
  return NewestThreadModule(ModuleClass, [](TNxModule*) { return true; });
}

void SetNxAssocChangedNotify(TNxAssocChangedNotify Notify) noexcept {
  g_assocChanged.store(Notify, std::memory_order_release);
}

std::vector<nx_detail::TThreadModuleEntry> nx_detail::ThreadModules() {
  EnsureUnitsStarted();
  std::vector<TThreadModuleEntry> Result;
  if (g_threadModules == nullptr) return Result;
  TLockedList List(*g_threadModules);
  for (int I = 0; I < List->Count(); ++I) {
    auto* Record = static_cast<TThreadModuleRecord*>(List->Get(I));
    Result.push_back({Record->ThreadId, Record->Module});
  }
  return Result;
}

// ---- Unit ------------------------------------------------------------------------------------------

void NxComObjInitialize() {
  g_threadModules = TThreadList::Create();
  g_seenModules = new std::vector<HMODULE>;
  SetNxModuleHooks(&ModuleCreatedHook, &ModuleDestroyedHook);
}

void NxComObjFinalize() {
  if (g_threadModules != nullptr) {
    // Freeing a module removes its record through the hook (the lock is re-entrant).
    TLockedList List(*g_threadModules);
    while (List->Count() > 0) {
      auto* Record = static_cast<TThreadModuleRecord*>(List->Last());
      const int Before = List->Count();
      try {
        Record->Module->Free();
      } catch (...) {
        OutputDebugStringA("NxComObj: freeing a module at shutdown failed\n");
      }
      if (List->Count() == Before && List->Last() == Record) {
        List->Delete(Before - 1);
        delete Record;
      }
    }
  }
  SetNxModuleHooks(nullptr, nullptr);
  FreeAndNil(g_threadModules);
  delete g_seenModules;
  g_seenModules = nullptr;
}
