// The COM server of the class library with the Nx factories on top, in this process: one factory
// per shell object, objects on per-thread modules (a busy component gets a sibling module, a free
// one is reused, each thread has its own), thread-free modules, interface fall-through and object
// identity, the factory's failure results, the unload counts, and registration with its events.
#include <windows.h>
#include <olectl.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "classlib/ComServ.h"
#include "classlib/UnitInit.h"
#include "nx/NxComObj.h"
#include "tests/nx/comserver_module.h"
#include "tests/nx/test_data_object.h"

using namespace nxtest;

namespace {

TComPtr<IClassFactory> FactoryOf(const GUID& Clsid) {
  TComPtr<IClassFactory> Factory;
  EXPECT_EQ(ComServerDllGetClassObject(Clsid, IID_IClassFactory, Factory.ReceiveVoid()), S_OK);
  return Factory;
}

TComPtr<IUnknown> NewObject(const GUID& Clsid) {
  TComPtr<IUnknown> Object;
  EXPECT_EQ(FactoryOf(Clsid)->CreateInstance(nullptr, IID_IUnknown, Object.ReceiveVoid()), S_OK);
  return Object;
}

TNxBaseShellObject* ComponentOf(IUnknown* Object) {
  TComPtr<INxShellObject> Shell;
  if (FAILED(Object->QueryInterface(IID_INxShellObject, Shell.ReceiveVoid()))) return nullptr;
  return dynamic_cast<TNxBaseShellObject*>(Shell->GetComponent());
}

TComponent* ModuleOf(IUnknown* Object) {
  TNxBaseShellObject* Component = ComponentOf(Object);
  return Component ? Component->Owner() : nullptr;
}

std::vector<TComponent*> ModulesOfThread(DWORD Thread) {
  std::vector<TComponent*> Result;
  for (const auto& Entry : nx_detail::ThreadModules())
    if (Entry.ThreadId == Thread) Result.push_back(Entry.Module);
  return Result;
}

// Runs Body on a thread of its own (which starts with no module), and waits for it.
template <class F> void OnNewThread(F Body) {
  std::thread T(Body);
  T.join();
}

class NxComServer : public ::testing::Test {
protected:
  void SetUp() override {
    EnsureUnitsStarted();
    ASSERT_EQ(ComServer()->CanUnloadNow(), S_OK) << "a test before this one left something behind";
  }
  void TearDown() override { EXPECT_EQ(ComServer()->CanUnloadNow(), S_OK); }
};

}  // namespace

TEST_F(NxComServer, OneFactoryPerShellObjectOfEachModuleAndTheTemporaryModuleIsGone) {
  std::vector<TComObjectFactory*> Factories = ComServer()->Factories();
  ASSERT_EQ(Factories.size(), 3u) << "the plain component gets none";
  struct Expected {
    GUID Clsid;
    const char* Name;
    const char* Description;
    TClass FactoryClass;
  } Want[] = {
      {kClsidA, "ExtInitA", "Veldrane test shell object A", ClassOf<TNxComObjectFactory>()},
      {kClsidB, "ExtInitB", "Veldrane test shell object B", ClassOf<TNxComObjectFactory>()},
      {kClsidFree, "FreeExt", "Veldrane test thread-free object", ClassOf<TNxThreadFreeComObjectFactory>()},
  };
  for (size_t I = 0; I < 3; ++I) {
    TComObjectFactory* F = Factories[I];
    EXPECT_TRUE(IsEqualGUID(F->ClassID(), Want[I].Clsid)) << I;
    EXPECT_EQ(F->ClassName(), Want[I].Name);
    EXPECT_EQ(F->Description(), Want[I].Description);
    EXPECT_EQ(F->ClassType(), Want[I].FactoryClass);
    EXPECT_EQ(F->Instancing(), ciMultiInstance);
    EXPECT_EQ(F->ThreadingModel(), tmApartment);
    EXPECT_FALSE(F->ComClass());
    EXPECT_EQ(ComServer()->GetFactoryFromClassID(Want[I].Clsid), F);
  }
  EXPECT_EQ(ComServer()->GetFactoryFromClassName("extinitb"), Factories[1]);

  // Registering again into a server of its own: the temporary modules are freed and unrecorded.
  const int ShellLive = TTestShellModule::Live, FreeLive = TTestFreeModule::Live;
  const size_t Recorded = nx_detail::ThreadModules().size();
  {
    TComServer Local;
    EXPECT_TRUE(RegisterNxDataModule(&Local, TNxModuleClass::Of<TTestShellModule>()));
    EXPECT_TRUE(RegisterNxDataModule(&Local, TNxModuleClass::Of<TTestFreeModule>()));
    EXPECT_EQ(Local.FactoryCount(), 3);
    Local.FreeFactories();
    EXPECT_EQ(Local.FactoryCount(), 0);
  }
  EXPECT_EQ(TTestShellModule::Live, ShellLive);
  EXPECT_EQ(TTestFreeModule::Live, FreeLive);
  EXPECT_EQ(nx_detail::ThreadModules().size(), Recorded);
}

// Two objects alive at once, again and again on one thread (a sheet with two handlers): the
// modules the first pairs made serve the later ones.
TEST_F(NxComServer, PairsOfObjectsOnOneThreadReuseTheirModules) {
  OnNewThread([] {
    for (int Cycle = 0; Cycle < 300; ++Cycle) {
      TComPtr<IUnknown> First = NewObject(kClsidA);
      TComPtr<IUnknown> Second = NewObject(kClsidA);
      ASSERT_NE(ModuleOf(First.Get()), ModuleOf(Second.Get()));
    }
    EXPECT_LE(ModulesOfThread(GetCurrentThreadId()).size(), 2u);
  });
}

TEST_F(NxComServer, ModulesPerThreadBusyComponentsGetSiblingsFreeOnesAreReused) {
  OnNewThread([] {
    const DWORD Me = GetCurrentThreadId();
    TComPtr<IUnknown> A1 = NewObject(kClsidA);
    TComponent* M1 = ModuleOf(A1.Get());
    ASSERT_NE(M1, nullptr);
    EXPECT_EQ(ModulesOfThread(Me), std::vector<TComponent*>{M1});

    // The first object still holds ExtInitA: a second module serves the second object.
    TComPtr<IUnknown> A2 = NewObject(kClsidA);
    TComponent* M2 = ModuleOf(A2.Get());
    EXPECT_NE(M2, M1);
    EXPECT_EQ(ModulesOfThread(Me), (std::vector<TComponent*>{M1, M2}));
    EXPECT_NE(ComponentOf(A1.Get()), ComponentOf(A2.Get()));

    // ExtInitB of the latest module is free.
    TComPtr<IUnknown> B1 = NewObject(kClsidB);
    EXPECT_EQ(ModuleOf(B1.Get()), M2);

    // The latest module's ExtInitA is busy, the older module's is free again: that one serves.
    A1.Reset();
    TComPtr<IUnknown> A3 = NewObject(kClsidA);
    EXPECT_EQ(ModuleOf(A3.Get()), M1);
    EXPECT_EQ(ModulesOfThread(Me).size(), 2u);

    // With everything released, the latest module and its component serve again.
    TNxBaseShellObject* LatestA = ComponentOf(A2.Get());
    A2.Reset();
    A3.Reset();
    B1.Reset();
    EXPECT_EQ(LatestA->ComObject(), nullptr);
    EXPECT_EQ(LatestA->VCLComObject(), nullptr);
    TComPtr<IUnknown> A4 = NewObject(kClsidA);
    EXPECT_EQ(ModuleOf(A4.Get()), M2);
    EXPECT_EQ(ComponentOf(A4.Get()), LatestA);
    TComPtr<IUnknown> A5 = NewObject(kClsidA);
    EXPECT_EQ(ModuleOf(A5.Get()), M1);
    TComPtr<IUnknown> A6 = NewObject(kClsidA);  // both busy: a third module
    EXPECT_EQ(ModulesOfThread(Me).size(), 3u);

    // Another thread has modules of its own.
    TComponent* Other = nullptr;
    DWORD OtherId = 0;
    OnNewThread([&] {
      TComPtr<IUnknown> Obj = NewObject(kClsidA);
      Other = ModuleOf(Obj.Get());
      OtherId = GetCurrentThreadId();
    });
    EXPECT_EQ(ModulesOfThread(OtherId), std::vector<TComponent*>{Other});
    for (TComponent* Mine : ModulesOfThread(Me)) EXPECT_NE(Mine, Other);
  });
}

TEST_F(NxComServer, ThreadFreeModulesComeAndGoWithTheirObjectsUnlessTheComponentKeepsThem) {
  const size_t Recorded = nx_detail::ThreadModules().size();
  const int Live = TTestFreeModule::Live;
  {
    TComPtr<IUnknown> F1 = NewObject(kClsidFree);
    TComPtr<IUnknown> F2 = NewObject(kClsidFree);
    EXPECT_EQ(TTestFreeModule::Live, Live + 2);
    EXPECT_NE(ModuleOf(F1.Get()), ModuleOf(F2.Get()));
    EXPECT_EQ(nx_detail::ThreadModules().size(), Recorded) << "thread-free modules are never recorded";
    F1.Reset();
    EXPECT_EQ(TTestFreeModule::Live, Live + 1);
  }
  EXPECT_EQ(TTestFreeModule::Live, Live);

  TTestFreeModule::KeepModule = true;
  TComPtr<IUnknown> Kept = NewObject(kClsidFree);
  TNxBaseShellObject* Component = ComponentOf(Kept.Get());
  Kept.Reset();
  TTestFreeModule::KeepModule = false;
  EXPECT_EQ(TTestFreeModule::Live, Live + 1);
  EXPECT_EQ(Component->ComObject(), nullptr);
  Component->Owner()->Free();
  EXPECT_EQ(TTestFreeModule::Live, Live);
}

TEST_F(NxComServer, QueriesFallThroughToTheComponentWhoseInterfacesCountOnTheObject) {
  TComPtr<IUnknown> Object = NewObject(kClsidA);
  TComPtr<IShellExtInit> Init;
  ASSERT_EQ(Object->QueryInterface(IID_IShellExtInit, Init.ReceiveVoid()), S_OK);
  TNxBaseShellObject* Component = ComponentOf(Object.Get());
  ASSERT_NE(Component, nullptr);
  EXPECT_EQ(static_cast<void*>(Init.Get()), static_cast<void*>(static_cast<IShellExtInit*>(
                                                dynamic_cast<TNxShellExtInit*>(Component))));

  // One identity, whichever interface is asked.
  TComPtr<IUnknown> Identity;
  ASSERT_EQ(Init->QueryInterface(IID_IUnknown, Identity.ReceiveVoid()), S_OK);
  EXPECT_EQ(Identity.Get(), Object.Get());
  TComPtr<IVCLComObject> Vcl;
  EXPECT_EQ(Init->QueryInterface(IID_IVCLComObject, Vcl.ReceiveVoid()), S_OK);
  EXPECT_EQ(Vcl->GetTypeInfoCount(nullptr), E_NOTIMPL);
  EXPECT_EQ(Vcl->Invoke(0, IID_NULL, 0, 0, nullptr, nullptr, nullptr, nullptr), E_NOTIMPL);
  TComPtr<IPersist> Persist;
  ASSERT_EQ(Vcl->QueryInterface(IID_IPersist, Persist.ReceiveVoid()), S_OK);
  GUID Clsid{};
  EXPECT_EQ(Persist->GetClassID(&Clsid), S_OK);
  EXPECT_TRUE(IsEqualGUID(Clsid, kClsidA));
  void* None = reinterpret_cast<void*>(1);
  EXPECT_EQ(Object->QueryInterface(IID_IShellPropSheetExt, &None), E_NOINTERFACE);
  EXPECT_EQ(None, nullptr);

  // The component's interfaces keep the object alive; the last one frees it and unbinds.
  EXPECT_EQ(Component->ComObject()->RefCount(), 5);
  Object.Reset();
  Identity.Reset();
  Vcl.Reset();
  Persist.Reset();
  EXPECT_EQ(ComServer()->ObjectCount(), 1);
  EXPECT_NE(Component->ComObject(), nullptr);
  Init.Reset();
  EXPECT_EQ(ComServer()->ObjectCount(), 0);
  EXPECT_EQ(Component->ComObject(), nullptr);
  EXPECT_EQ(Component->VCLComObject(), nullptr);
}

TEST_F(NxComServer, FactoryFailuresAndTheUnloadCounts) {
  void* Out = reinterpret_cast<void*>(1);
  EXPECT_EQ(ComServerDllGetClassObject(kClsidUnknown, IID_IClassFactory, &Out), CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(Out, nullptr);
  Out = reinterpret_cast<void*>(1);
  EXPECT_EQ(ComServerDllGetClassObject(kClsidA, IID_IShellExtInit, &Out), E_NOINTERFACE);
  EXPECT_EQ(Out, nullptr);

  TComPtr<IClassFactory> Factory = FactoryOf(kClsidA);
  EXPECT_EQ(ComServerDllCanUnloadNow(), S_FALSE) << "a held factory keeps the server";
  TTestDataObject Outer;  // any unknown will do as an outer one
  Out = reinterpret_cast<void*>(1);
  EXPECT_EQ(Factory->CreateInstance(&Outer, IID_IUnknown, &Out), CLASS_E_NOAGGREGATION);
  EXPECT_EQ(Out, nullptr);
  EXPECT_EQ(ComServer()->ObjectCount(), 0);
  Out = reinterpret_cast<void*>(1);
  EXPECT_EQ(Factory->CreateInstance(nullptr, IID_IShellPropSheetExt, &Out), E_NOINTERFACE);
  EXPECT_EQ(Out, nullptr);
  EXPECT_EQ(ComServer()->ObjectCount(), 0) << "the refused object was released, not kept";
  Factory.Reset();
  EXPECT_EQ(ComServerDllCanUnloadNow(), S_OK);

  EXPECT_EQ(FactoryOf(kClsidB)->LockServer(TRUE), S_OK);
  EXPECT_EQ(ComServerDllCanUnloadNow(), S_FALSE);
  EXPECT_EQ(FactoryOf(kClsidB)->LockServer(FALSE), S_OK);
  EXPECT_EQ(ComServerDllCanUnloadNow(), S_OK);
  {
    TComPtr<IUnknown> Object = NewObject(kClsidB);
    EXPECT_EQ(ComServerDllCanUnloadNow(), S_FALSE);
  }
  EXPECT_EQ(ComServerDllCanUnloadNow(), S_OK);

  // A factory whose module lacks the component (or holds a plain one of that name) has no object
  // to give; the thread-free factory frees the module it made for nothing.
  TComServer Local;
  auto* Missing = TNxComObjectFactory::Create(&Local, TNxModuleClass::Of<TTestShellModule>(), kClsidUnknown,
                                              "NoSuchPart", "missing");
  auto* Plain = TNxComObjectFactory::Create(&Local, TNxModuleClass::Of<TTestShellModule>(), kClsidUnknown,
                                            "Plain1", "not a shell object");
  auto* FreeMissing = TNxThreadFreeComObjectFactory::Create(&Local, TNxModuleClass::Of<TTestFreeModule>(),
                                                            kClsidUnknown, "NoSuchPart", "missing");
  // The module class has no description at all: its construction raises.
  auto* Broken = TNxComObjectFactory::Create(&Local, TNxModuleClass::Of<TNxModule>(), kClsidUnknown,
                                             "ExtInitA", "broken");
  const int FreeLive = TTestFreeModule::Live;
  OnNewThread([&] {
    for (TComObjectFactory* F : {static_cast<TComObjectFactory*>(Missing), static_cast<TComObjectFactory*>(Plain),
                                 static_cast<TComObjectFactory*>(FreeMissing)}) {
      Out = reinterpret_cast<void*>(1);
      EXPECT_EQ(F->CreateInstance(nullptr, IID_IUnknown, &Out), CLASS_E_CLASSNOTAVAILABLE) << F->ClassName();
      EXPECT_EQ(Out, nullptr);
    }
    EXPECT_EQ(Broken->CreateInstance(nullptr, IID_IUnknown, &Out), E_FAIL);
    EXPECT_EQ(Out, nullptr);
  });
  EXPECT_EQ(TTestFreeModule::Live, FreeLive);
  EXPECT_EQ(Local.LockCount(), 0);
  Local.FreeFactories();
}

// ---- Registration ------------------------------------------------------------------------------------

namespace {
const std::string kScratch = "Software\\VeldraneTests\\nx-comobj-" + std::to_string(GetCurrentProcessId());

std::string ValueOf(HKEY Root, const std::string& Key, const char* Name = nullptr) {
  char Buf[MAX_PATH * 2];
  DWORD Size = sizeof Buf;
  if (RegGetValueA(Root, Key.c_str(), Name, RRF_RT_REG_SZ, nullptr, Buf, &Size) != ERROR_SUCCESS) return "<missing>";
  return Buf;
}

bool KeyExists(HKEY Root, const std::string& Key) {
  HKEY K;
  if (RegOpenKeyExA(Root, Key.c_str(), 0, KEY_READ, &K) != ERROR_SUCCESS) return false;
  RegCloseKey(K);
  return true;
}

int g_assocChanged = 0;
void CountAssocChanged() { ++g_assocChanged; }

// HKEY_CLASSES_ROOT and HKEY_LOCAL_MACHINE both lead into one scratch key under HKCU.
class NxRegistration : public NxComServer {
protected:
  void SetUp() override {
    NxComServer::SetUp();
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kScratch.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &Scratch,
                              nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegOverridePredefKey(HKEY_CLASSES_ROOT, Scratch), ERROR_SUCCESS);
    ASSERT_EQ(RegOverridePredefKey(HKEY_LOCAL_MACHINE, Scratch), ERROR_SUCCESS);
    SetNxAssocChangedNotify(&CountAssocChanged);
    g_assocChanged = 0;
    TTestShellModule::Log.clear();
    TTestShellModule::FailOn.clear();
  }
  void TearDown() override {
    SetNxAssocChangedNotify(nullptr);
    RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
    RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
    RegCloseKey(Scratch);
    SHDeleteKeyA(HKEY_CURRENT_USER, kScratch.c_str());
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "CLSID\\" + GUIDToString(kClsidA))) << "the real registry was written";
    NxComServer::TearDown();
  }
  HKEY Scratch = nullptr;
};
}  // namespace

TEST_F(NxRegistration, RegisteringWritesTheClassKeysAndRunsTheComponentStepsInOrder) {
  OnNewThread([&] {
    const int FreeLive = TTestFreeModule::Live;
    ASSERT_EQ(ComServerDllRegisterServer(), S_OK);
    // This thread never made an object: registration left its module recorded for it.
    EXPECT_EQ(ModulesOfThread(GetCurrentThreadId()).size(), 1u);
    EXPECT_EQ(TTestFreeModule::Live, FreeLive) << "the thread-free module is freed again";
  });
  const std::string Exe = ComServer()->ServerFileName();
  for (const GUID& Clsid : {kClsidA, kClsidB, kClsidFree}) {
    const std::string Key = "CLSID\\" + GUIDToString(Clsid);
    EXPECT_EQ(ValueOf(Scratch, Key + "\\InprocServer32"), Exe);
    EXPECT_EQ(ValueOf(Scratch, Key + "\\InprocServer32", "ThreadingModel"), "Apartment");
  }
  EXPECT_EQ(ValueOf(Scratch, "CLSID\\{2F41BD6E-E6E5-4695-8696-0817A3ABC430}"), "Veldrane test shell object A");
  EXPECT_EQ(ValueOf(Scratch, "CLSID\\" + GUIDToString(kClsidFree)), "Veldrane test thread-free object");
  EXPECT_EQ(TTestShellModule::Log,
            (std::vector<std::string>{"before ExtInitA 1", "on ExtInitA 1", "after ExtInitA 1"}));
  EXPECT_EQ(g_assocChanged, 1) << "only ExtInitA asks for the refresh";

  // An empty key of the file type goes with the unregistration; others' keys stay.
  HKEY K;
  RegCreateKeyExA(Scratch, "vdtestfile", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &K, nullptr);
  RegCloseKey(K);
  RegCreateKeyExA(Scratch, ("CLSID\\" + GUIDToString(kClsidB) + "\\Other").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &K,
                  nullptr);
  RegCloseKey(K);
  TTestShellModule::Log.clear();
  EXPECT_EQ(ComServerDllUnregisterServer(), S_OK);
  EXPECT_EQ(TTestShellModule::Log,
            (std::vector<std::string>{"before ExtInitA 0", "on ExtInitA 0", "after ExtInitA 0"}));
  EXPECT_EQ(g_assocChanged, 2);
  EXPECT_FALSE(KeyExists(Scratch, "CLSID\\" + GUIDToString(kClsidA)));
  EXPECT_FALSE(KeyExists(Scratch, "CLSID\\" + GUIDToString(kClsidFree)));
  EXPECT_FALSE(KeyExists(Scratch, "vdtestfile"));
  EXPECT_TRUE(KeyExists(Scratch, "CLSID\\" + GUIDToString(kClsidB) + "\\Other"));
  EXPECT_FALSE(KeyExists(Scratch, "CLSID\\" + GUIDToString(kClsidB) + "\\InprocServer32"));
}

TEST_F(NxRegistration, AHandlerThatRaisesFailsTheExport) {
  TTestShellModule::FailOn = "on";
  EXPECT_EQ(ComServerDllRegisterServer(), SELFREG_E_CLASS);
  EXPECT_EQ(TTestShellModule::Log, (std::vector<std::string>{"before ExtInitA 1", "on ExtInitA 1"}));
  EXPECT_EQ(g_assocChanged, 0);
  // Unregistration still goes through every class, then reports the failure.
  EXPECT_EQ(ComServerDllUnregisterServer(), SELFREG_E_CLASS);
  for (const GUID& Clsid : {kClsidA, kClsidB, kClsidFree})
    EXPECT_FALSE(KeyExists(Scratch, "CLSID\\" + GUIDToString(Clsid))) << GUIDToString(Clsid);
}
