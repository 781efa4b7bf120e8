// The in-process COM server of a library: its class factories, the count of live objects and
// server locks, registration, and the four COM exports.
//
// A factory links itself into the server when it is made (at unit start-up) and is freed when the
// server shuts down. Objects are TComObject descendants; the server's exports answer the system:
//
//   extern "C" HRESULT WINAPI DllGetClassObject(REFCLSID Clsid, REFIID Iid, void** Obj) {
//     return ComServerDllGetClassObject(Clsid, Iid, Obj);
//   }
//   ... or simply VD_COM_SERVER_EXPORTS in one source file of the library,
//
// with the names listed (undecorated) in the library's .def file. Each export first runs the
// module's ordered unit start-up (EnsureUnitsStarted), never DllMain.
#pragma once

#include <windows.h>
#include <oaidl.h>
#include <objbase.h>
#include <unknwn.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "classlib/Classes.h"
#include "classlib/ComObj.h"

class TComServer;
class TComObject;
class TComObjectFactory;


// ---- TComPtr --------------------------------------------------------------------------------------

// An owning interface reference: releases what it holds. Adopt takes over a reference the
// caller already owns; the pointer constructor adds one.
template <class T> class TComPtr {
public:
  TComPtr() noexcept = default;
  TComPtr(std::nullptr_t) noexcept {}
  explicit TComPtr(T* Ptr) noexcept : FPtr(Ptr) {
    if (FPtr) FPtr->AddRef();
  }
  static TComPtr Adopt(T* Ptr) noexcept {
    TComPtr R;
    R.FPtr = Ptr;
    return R;
  }
  TComPtr(const TComPtr& Other) noexcept : TComPtr(Other.FPtr) {}
  TComPtr(TComPtr&& Other) noexcept : FPtr(std::exchange(Other.FPtr, nullptr)) {}
  template <class U>
    requires std::is_convertible_v<U*, T*>
  TComPtr(TComPtr<U>&& Other) noexcept : FPtr(Other.Detach()) {}
  TComPtr& operator=(TComPtr Other) noexcept {
    std::swap(FPtr, Other.FPtr);
    return *this;
  }
  ~TComPtr() { Reset(); }

  T* Get() const noexcept { return FPtr; }
  T* operator->() const noexcept { return FPtr; }
  explicit operator bool() const noexcept { return FPtr != nullptr; }
  // Gives the reference to the caller.
  T* Detach() noexcept { return std::exchange(FPtr, nullptr); }
  void Reset() noexcept {
    if (T* P = std::exchange(FPtr, nullptr)) P->Release();
  }
  // For out-parameters that hand over a reference (QueryInterface, GetData...).
  T** Receive() noexcept {
    Reset();
    return &FPtr;
  }
  void** ReceiveVoid() noexcept { return reinterpret_cast<void**>(Receive()); }

private:
  T* FPtr = nullptr;
};

// ---- IVCLComObject -------------------------------------------------------------------------------

// The interface by which a component reaches the COM object that serves it (a component's
// VCLComObject). Objects that implement it without automation answer E_NOTIMPL to the four
// dispatch methods.
inline constexpr IID IID_IVCLComObject = {0xE07892A0, 0xF52F, 0x11CF, {0xBD, 0x2F, 0x00, 0x20, 0xAF, 0x0E, 0x5B, 0x81}};

struct IVCLComObject : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* Count) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT Index, LCID LocaleID, ITypeInfo** TypeInfo) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID Iid, LPOLESTR* Names, UINT NameCount, LCID LocaleID,
                                                  DISPID* DispIDs) = 0;
  virtual HRESULT STDMETHODCALLTYPE Invoke(DISPID DispID, REFIID Iid, LCID LocaleID, WORD Flags,
                                           DISPPARAMS* Params, VARIANT* VarResult, EXCEPINFO* ExcepInfo,
                                           UINT* ArgErr) = 0;
  virtual void STDMETHODCALLTYPE FreeOnRelease() = 0;
};

// ---- TComObject ---------------------------------------------------------------------------------

// A COM object of the server. Made with T::Create(...) (or CreateFromFactory): the constructor
// counts the object in the server and holds the one reference its creator receives; then, with
// the object whole, the virtual Initialize runs. The last Release frees it; the destructor
// uncounts it. Reference counting and interface queries go through the virtual ObjAddRef,
// ObjRelease and ObjQueryInterface (through the controller, when there is one).
class TComObject : public TObject, public IUnknown {
  VD_CLASS(TComObject, TObject);

public:
  using TCreateArg = TComObjectFactory*;

  explicit TComObject(TComObjectFactory* Factory, IUnknown* Controller = nullptr);
  ~TComObject() override;
  void AfterConstruction() override;

  // Construction and Initialize, the caller's reference in the result.
  template <class T, class... A> static TComPtr<T> CreateFromFactory(A&&... Args) {
    return TComPtr<T>::Adopt(T::Create(std::forward<A>(Args)...));
  }

  // IUnknown: the controller's when aggregated, else the object's own.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID Iid, void** Obj) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  virtual void Initialize() {}
  virtual HRESULT ObjQueryInterface(REFIID Iid, void** Obj);
  virtual ULONG ObjAddRef();
  // Frees the object when the count reaches 0 (nothing escapes from that).
  virtual ULONG ObjRelease();

  TComObjectFactory* Factory() const noexcept { return FFactory; }
  IUnknown* Controller() const noexcept { return FController; }
  LONG RefCount() const noexcept { return FRefCount; }
  // The object's identity (its own IUnknown).
  IUnknown* Unknown() noexcept { return static_cast<IUnknown*>(this); }

protected:
  // The interfaces the object itself implements: set *Obj without counting. The base: IUnknown.
  virtual bool GetComInterface(REFIID Iid, void** Obj);

private:
  TComObjectFactory* FFactory;
  IUnknown* FController;
  volatile LONG FRefCount = 1;
};

using TComClass = TClassRef<TComObject>;

// ---- TComObjectFactory ----------------------------------------------------------------------------

enum TClassInstancing { ciInternal, ciSingleInstance, ciMultiInstance };
enum TThreadingModel { tmSingle, tmApartment, tmFree, tmBoth, tmNeutral };

// "Apartment", "Free", "Both", "Neutral"; "" for tmSingle (no value is written).
const char* ThreadingModelName(TThreadingModel Model);

// The class factory of one COM class. ciInternal classes are neither registered nor handed out.
// AddRef, Release and LockServer count as server locks: the server stays loaded while a client
// holds a factory.
class TComObjectFactory : public TObject, public IClassFactory {
  VD_CLASS(TComObjectFactory, TObject);

public:
  // Links the factory into ComServer's list. ComClass may be nil: the factory then makes its
  // objects itself (a descendant's CreateComObject).
  TComObjectFactory(TComServer* ComServer, TComClass ComClass, const GUID& ClassID,
                    const std::string& ClassName, const std::string& Description,
                    TClassInstancing Instancing, TThreadingModel ThreadingModel = tmSingle);
  // Leaves the server's list.
  ~TComObjectFactory() override;

  // A new object (or one the factory chooses to share), holding one reference for the caller;
  // empty when there is none to give. The base makes one of ComClass. Controller is an outer
  // unknown; CreateInstance never passes one.
  virtual TComPtr<TComObject> CreateComObject(IUnknown* Controller);
  // Register: HKCR\CLSID\{id} = Description, its InprocServer32 = the server's file with the
  // ThreadingModel value. Unregister: deletes InprocServer32, then the CLSID key.
  // Raises EOleRegistrationError when a key can't be written.
  virtual void UpdateRegistry(bool Register);

  // IClassFactory
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID Iid, void** Obj) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* Outer, REFIID Iid, void** Obj) override;
  HRESULT STDMETHODCALLTYPE LockServer(BOOL Lock) override;

  TComServer* ComServer() const noexcept { return FComServer; }
  TComClass ComClass() const noexcept { return FComClass; }
  const GUID& ClassID() const noexcept { return FClassID; }
  // The COM class name. It hides TObject::ClassName here; the factory's own class is
  // ClassType()->ClassName().
  const std::string& ClassName() const noexcept { return FClassName; }
  const std::string& Description() const noexcept { return FDescription; }
  TClassInstancing Instancing() const noexcept { return FInstancing; }
  TThreadingModel ThreadingModel() const noexcept { return FThreadingModel; }

private:
  TComServer* FComServer;
  TComClass FComClass;
  GUID FClassID;
  std::string FClassName;
  std::string FDescription;
  TClassInstancing FInstancing;
  TThreadingModel FThreadingModel;
};

// ---- TComServer ---------------------------------------------------------------------------------

// The server: its factories (in creation order, under a multi-reader/single-writer lock) and the
// interlocked counts of live objects and server locks.
class TComServer : public TObject {
  VD_CLASS(TComServer, TObject);

public:
  TComServer();
  // Frees nothing: factories left at process exit stay as they are.
  ~TComServer() override;

  LONG ObjectCount() const noexcept { return FObjectCount; }
  LONG LockCount() const noexcept { return FLockCount; }
  // +1 / -1; the new count.
  LONG CountObject(bool Created) noexcept;
  LONG CountLock(bool Locked) noexcept;
  // S_OK only while no object lives and no lock is held; S_FALSE otherwise.
  HRESULT CanUnloadNow() const noexcept;

  // Registration runs every factory's UpdateRegistry in creation order and stops at the first
  // exception, which it passes on. Unregistration runs them all in reverse order and then passes
  // on the first exception, if any.
  void UpdateRegistry(bool Register);
  // The factory of the class as IClassFactory (or whatever Iid names); *Obj is null on every
  // failure: CLASS_E_CLASSNOTAVAILABLE for an unknown or internal class.
  HRESULT GetClassObject(REFCLSID Clsid, REFIID Iid, void** Obj) noexcept;

  TComObjectFactory* GetFactoryFromClassID(REFCLSID Clsid) const;
  // Compared without regard to case.
  TComObjectFactory* GetFactoryFromClassName(const std::string& Name) const;
  // A snapshot of the factory list, in creation order.
  std::vector<TComObjectFactory*> Factories() const;
  int FactoryCount() const;
  // Frees every factory, last first (the unit's shutdown).
  void FreeFactories();

  // The library file that holds this server (the module that links the class library).
  HINSTANCE ServerInstance() const noexcept;
  std::string ServerFileName() const;

private:
  friend class TComObjectFactory;
  void AddFactory(TComObjectFactory* Factory);
  void RemoveFactory(TComObjectFactory* Factory);

  class TFactoryLock;
  std::unique_ptr<TFactoryLock> FLock;
  std::vector<TComObjectFactory*> FFactories;
  volatile LONG FObjectCount = 0;
  volatile LONG FLockCount = 0;
};

// The module's server (made on first use; its factories are freed by the unit's shutdown).
TComServer* ComServer();

// ---- The exports ----------------------------------------------------------------------------------
// Each runs the module's unit start-up first and lets no exception out.

HRESULT ComServerDllGetClassObject(REFCLSID Clsid, REFIID Iid, void** Obj) noexcept;
HRESULT ComServerDllCanUnloadNow() noexcept;
// S_OK, or SELFREG_E_CLASS when a factory raised (E_FAIL for anything that is no Exception).
HRESULT ComServerDllRegisterServer() noexcept;
HRESULT ComServerDllUnregisterServer() noexcept;

#define VD_COM_SERVER_EXPORTS                                                                   \
  extern "C" HRESULT WINAPI DllGetClassObject(REFCLSID Clsid, REFIID Iid, void** Obj) {         \
    return ComServerDllGetClassObject(Clsid, Iid, Obj);                                          \
  }                                                                                             \
  extern "C" HRESULT WINAPI DllCanUnloadNow() { return ComServerDllCanUnloadNow(); }            \
  extern "C" HRESULT WINAPI DllRegisterServer() { return ComServerDllRegisterServer(); }        \
  extern "C" HRESULT WINAPI DllUnregisterServer() { return ComServerDllUnregisterServer(); }
