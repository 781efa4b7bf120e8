// Shell-object components as COM classes: one class factory per shell-object component of a
// registered data-module class, data-module instances kept per apartment thread (or made per
// object when the module is thread-free), and the thin COM object bound to one component.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "classlib/ComServ.h"
#include "nx/NxCustShlObj.h"
#include "nx/NxDataModule.h"

// The COM object made for one shell-object component. Queries for interfaces it lacks fall
// through to the component; while it lives, the component is bound to it (its ComObject and
// VCLComObject point here), so every interface the component hands out counts on this object.
class TNxComObject : public TComObject, public IVCLComObject {
  VD_CLASS(TNxComObject, TComObject);

public:
  // The caller gets the one reference (T::Create runs Initialize, which binds the component).
  TNxComObject(TComObjectFactory* Factory, TNxBaseShellObject* Component);
  // Unbinds the component (which may free a thread-free module with it).
  void BeforeDestruction() override;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID Iid, void** Obj) override {
    return TComObject::QueryInterface(Iid, Obj);
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return TComObject::AddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return TComObject::Release(); }

  void Initialize() override;
  HRESULT ObjQueryInterface(REFIID Iid, void** Obj) override;
  ULONG ObjAddRef() override;
  ULONG ObjRelease() override;

  // IVCLComObject: no automation.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* Count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT Index, LCID LocaleID, ITypeInfo** TypeInfo) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID Iid, LPOLESTR* Names, UINT NameCount, LCID LocaleID,
                                          DISPID* DispIDs) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID DispID, REFIID Iid, LCID LocaleID, WORD Flags, DISPPARAMS* Params,
                                   VARIANT* VarResult, EXCEPINFO* ExcepInfo, UINT* ArgErr) override;
  void STDMETHODCALLTYPE FreeOnRelease() override {}

  // The component served (not owned; it belongs to its data module). Nil once unbound.
  TNxBaseShellObject* Component() const noexcept { return FComponent; }
  // Told by a component that is freed while still bound (its module went first).
  void ComponentDestroyed() noexcept;

protected:
  bool GetComInterface(REFIID Iid, void** Obj) override;

private:
  TNxBaseShellObject* FComponent;
};

// The factory of one shell-object component of ModuleClass (its class name is the component's
// Name). Objects are made on this thread's module of that class; a module whose component is
// busy with another object gets a sibling module.
class TNxComObjectFactory : public TComObjectFactory {
  VD_CLASS(TNxComObjectFactory, TComObjectFactory);

public:
  // No COM class of its own, ciMultiInstance, tmApartment.
  TNxComObjectFactory(TComServer* ComServer, TNxModuleClass ModuleClass, const GUID& ClassID,
                      const std::string& ClassName, const std::string& Description);

  TNxModuleClass ModuleClass() const noexcept { return FModuleClass; }

  // Empty when the module holds no shell-object component of the factory's class name. The
  // controller is ignored (CreateInstance refuses aggregation before it gets here).
  TComPtr<TComObject> CreateComObject(IUnknown* Controller) override;
  // The class library's keys, then on the component: BeforeUpdateRegistry, its UpdateRegistry,
  // the shell's association refresh when RefreshWhenRegistered, AfterUpdateRegistry.
  void UpdateRegistry(bool Register) override;

protected:
  // The module whose component serves registration; FreeAfterUse says whether to free it after.
  virtual TNxModule* RegistrationModule(bool& FreeAfterUse);

private:
  TNxModuleClass FModuleClass;
};

// The same for a thread-free module class: a new module for every object (freed when the object
// goes, unless the component vetoes it) and for every registration.
class TNxThreadFreeComObjectFactory : public TNxComObjectFactory {
  VD_CLASS(TNxThreadFreeComObjectFactory, TNxComObjectFactory);

public:
  using TNxComObjectFactory::TNxComObjectFactory;
  TComPtr<TComObject> CreateComObject(IUnknown* Controller) override;

protected:
  TNxModule* RegistrationModule(bool& FreeAfterUse) override;
};

// Makes one factory for every shell-object component of ModuleClass (the thread-free factory
// when the module is thread-free), reading a temporary module that is freed again. Always True.
bool RegisterNxDataModule(TComServer* ComServer, TNxModuleClass ModuleClass);

// The latest module of ModuleClass (by class name, without regard to case) made on this thread;
// nil when there is none.
TNxModule* FindThreadModule(TNxModuleClass ModuleClass);

// The shell's "associations changed" notice sent after registration of a component with
// RefreshWhenRegistered. Replaceable (nil restores the default) so tests can watch it.
using TNxAssocChangedNotify = void (*)();
void SetNxAssocChangedNotify(TNxAssocChangedNotify Notify) noexcept;

namespace nx_detail {
// The per-thread module list as it stands, oldest first.
struct TThreadModuleEntry {
  DWORD ThreadId;
  TNxModule* Module;
};
std::vector<TThreadModuleEntry> ThreadModules();
}  // namespace nx_detail

// Unit start-up (the per-thread list and the module hooks) and shutdown (frees every module still
// listed, newest first).
void NxComObjInitialize();
void NxComObjFinalize();
