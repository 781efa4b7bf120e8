// The test COM server library through its exports, as the shell meets it: registration (with the
// registry redirected, and for real through regsvr32 with CoCreateInstance), class objects,
// aggregation refused, objects on per-thread modules, IShellExtInit over the boundary, and
// DllCanUnloadNow once everything is released.
#include <windows.h>
#include <olectl.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "classlib/ComServ.h"
#include "tests/nx/comserver_clsids.h"
#include "tests/nx/test_data_object.h"

using namespace nxtest;

namespace {

using TGetClassObject = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
using TNoArgs = HRESULT(WINAPI*)();
using TModuleOf = void*(WINAPI*)(IUnknown*);
using TLiveModules = int(WINAPI*)();

class NxServerLibrary : public ::testing::Test {
protected:
  void SetUp() override {
    Library = LoadLibraryA("nx_test_server.dll");
    ASSERT_NE(Library, nullptr);
    GetClassObject = reinterpret_cast<TGetClassObject>(GetProcAddress(Library, "DllGetClassObject"));
    CanUnloadNow = reinterpret_cast<TNoArgs>(GetProcAddress(Library, "DllCanUnloadNow"));
    RegisterServer = reinterpret_cast<TNoArgs>(GetProcAddress(Library, "DllRegisterServer"));
    UnregisterServer = reinterpret_cast<TNoArgs>(GetProcAddress(Library, "DllUnregisterServer"));
    ModuleOf = reinterpret_cast<TModuleOf>(GetProcAddress(Library, "NxTestModuleOf"));
    LiveModules = reinterpret_cast<TLiveModules>(GetProcAddress(Library, "NxTestLiveModules"));
    ASSERT_TRUE(GetClassObject && CanUnloadNow && RegisterServer && UnregisterServer && ModuleOf && LiveModules);
    char Path[MAX_PATH];
    GetModuleFileNameA(Library, Path, MAX_PATH);
    LibraryPath = Path;
  }
  void TearDown() override {
    EXPECT_EQ(CanUnloadNow(), S_OK);
    FreeLibrary(Library);  // the last reference: the units shut down
  }

  TComPtr<IClassFactory> Factory(const GUID& Clsid) {
    TComPtr<IClassFactory> F;
    EXPECT_EQ(GetClassObject(Clsid, IID_IClassFactory, F.ReceiveVoid()), S_OK);
    return F;
  }

  HMODULE Library = nullptr;
  std::string LibraryPath;
  TGetClassObject GetClassObject = nullptr;
  TNoArgs CanUnloadNow = nullptr, RegisterServer = nullptr, UnregisterServer = nullptr;
  TModuleOf ModuleOf = nullptr;
  TLiveModules LiveModules = nullptr;
};

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

}  // namespace

TEST_F(NxServerLibrary, RegistrationWritesAndRemovesTheClassKeysOfTheLibrary) {
  const std::string Scratch = "Software\\VeldraneTests\\nx-server-" + std::to_string(GetCurrentProcessId());
  HKEY Key;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, Scratch.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &Key, nullptr),
            ERROR_SUCCESS);
  ASSERT_EQ(RegOverridePredefKey(HKEY_CLASSES_ROOT, Key), ERROR_SUCCESS);
  ASSERT_EQ(RegOverridePredefKey(HKEY_LOCAL_MACHINE, Key), ERROR_SUCCESS);

  EXPECT_EQ(RegisterServer(), S_OK);
  const std::string ClassA = "CLSID\\" + GUIDToString(kClsidA);
  EXPECT_EQ(ValueOf(Key, ClassA), "Veldrane test shell object A");
  EXPECT_EQ(ValueOf(Key, ClassA + "\\InprocServer32"), LibraryPath);
  EXPECT_EQ(ValueOf(Key, ClassA + "\\InprocServer32", "ThreadingModel"), "Apartment");
  EXPECT_EQ(ValueOf(Key, "CLSID\\" + GUIDToString(kClsidFree) + "\\InprocServer32"), LibraryPath);
  EXPECT_FALSE(KeyExists(Key, "CLSID\\" + GUIDToString(kClsidB) + "\\ProgID")) << "no ProgID is written";

  EXPECT_EQ(UnregisterServer(), S_OK);
  DWORD SubKeys = 1;
  RegQueryInfoKeyA(Key, nullptr, nullptr, nullptr, &SubKeys, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                   nullptr);
  HKEY Clsid;
  if (RegOpenKeyExA(Key, "CLSID", 0, KEY_READ, &Clsid) == ERROR_SUCCESS) {
    RegQueryInfoKeyA(Clsid, nullptr, nullptr, nullptr, &SubKeys, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                     nullptr);
    RegCloseKey(Clsid);
    EXPECT_EQ(SubKeys, 0u) << "every class key is gone";
  }

  RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
  RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
  RegCloseKey(Key);
  SHDeleteKeyA(HKEY_CURRENT_USER, Scratch.c_str());
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, ClassA)) << "the real registry was written";
}

TEST_F(NxServerLibrary, ClassObjectsObjectsAndTheUnloadAnswer) {
  void* Out = reinterpret_cast<void*>(1);
  EXPECT_EQ(GetClassObject(kClsidUnknown, IID_IClassFactory, &Out), CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(Out, nullptr);

  TComPtr<IClassFactory> F = Factory(kClsidA);
  EXPECT_EQ(CanUnloadNow(), S_FALSE);
  TTestDataObject Outer;
  Out = reinterpret_cast<void*>(1);
  EXPECT_EQ(F->CreateInstance(&Outer, IID_IUnknown, &Out), CLASS_E_NOAGGREGATION);
  EXPECT_EQ(Out, nullptr);

  TComPtr<IShellExtInit> First, Second;
  ASSERT_EQ(F->CreateInstance(nullptr, IID_IShellExtInit, First.ReceiveVoid()), S_OK);
  ASSERT_EQ(F->CreateInstance(nullptr, IID_IShellExtInit, Second.ReceiveVoid()), S_OK);
  F.Reset();
  EXPECT_EQ(CanUnloadNow(), S_FALSE) << "objects live";
  EXPECT_NE(ModuleOf(First.Get()), ModuleOf(Second.Get())) << "a busy component gets a sibling module";

  TTestDataObject Data;
  Data.Offer(CF_HDROP, MakeDropList({"C:\\scripts\\one.vds"}));
  EXPECT_EQ(First->Initialize(nullptr, &Data, nullptr), S_OK);
  EXPECT_EQ(First->Initialize(nullptr, nullptr, nullptr), S_OK);
  TComPtr<IUnknown> Identity;
  ASSERT_EQ(First->QueryInterface(IID_IUnknown, Identity.ReceiveVoid()), S_OK);
  TComPtr<IPersist> Persist;
  ASSERT_EQ(Identity->QueryInterface(IID_IPersist, Persist.ReceiveVoid()), S_OK);
  GUID Clsid{};
  EXPECT_EQ(Persist->GetClassID(&Clsid), S_OK);
  EXPECT_TRUE(IsEqualGUID(Clsid, kClsidA));

  // Another thread gets a module of its own.
  void* OtherModule = nullptr;
  std::thread([&] {
    TComPtr<IUnknown> Obj;
    EXPECT_EQ(Factory(kClsidB)->CreateInstance(nullptr, IID_IUnknown, Obj.ReceiveVoid()), S_OK);
    OtherModule = ModuleOf(Obj.Get());
  }).join();
  EXPECT_NE(OtherModule, nullptr);
  EXPECT_NE(OtherModule, ModuleOf(First.Get()));
  EXPECT_NE(OtherModule, ModuleOf(Second.Get()));
  EXPECT_EQ(LiveModules(), 3) << "modules stay with their threads";

  First.Reset();
  Identity.Reset();
  Persist.Reset();
  EXPECT_EQ(CanUnloadNow(), S_FALSE);
  Second.Reset();
  EXPECT_EQ(CanUnloadNow(), S_OK);
}

// The real registry, the way the shell finds handlers: regsvr32, then CoCreateInstance.
TEST_F(NxServerLibrary, RegisteredByRegsvr32TheClassIsCreatedByTheComRuntime) {
  auto Regsvr32 = [this](const std::string& Switches) {
    std::string Command = "regsvr32.exe " + Switches + " \"" + LibraryPath + "\"";
    STARTUPINFOA Startup{};
    Startup.cb = sizeof Startup;
    PROCESS_INFORMATION Process{};
    if (!CreateProcessA(nullptr, Command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &Startup, &Process))
      return DWORD(-1);
    DWORD Code = DWORD(-2);
    if (WaitForSingleObject(Process.hProcess, 60000) == WAIT_OBJECT_0) GetExitCodeProcess(Process.hProcess, &Code);
    else TerminateProcess(Process.hProcess, 1);
    CloseHandle(Process.hThread);
    CloseHandle(Process.hProcess);
    return Code;
  };
  struct TUnregisterOnExit {
    TNoArgs Unregister;
    ~TUnregisterOnExit() { Unregister(); }
  } Cleanup{UnregisterServer};

  ASSERT_EQ(Regsvr32("/s"), 0u);
  EXPECT_EQ(ValueOf(HKEY_CLASSES_ROOT, "CLSID\\" + GUIDToString(kClsidA) + "\\InprocServer32"), LibraryPath);
  ASSERT_EQ(CoInitialize(nullptr), S_OK);
  {
    TComPtr<IShellExtInit> Init;
    ASSERT_EQ(CoCreateInstance(kClsidA, nullptr, CLSCTX_INPROC_SERVER, IID_IShellExtInit, Init.ReceiveVoid()), S_OK);
    TTestDataObject Data;
    Data.Offer(CF_HDROP, MakeDropList({"C:\\scripts\\two.vds"}));
    EXPECT_EQ(Init->Initialize(nullptr, &Data, nullptr), S_OK);
    EXPECT_EQ(CanUnloadNow(), S_FALSE);
  }
  CoUninitialize();
  EXPECT_EQ(CanUnloadNow(), S_OK);
  EXPECT_EQ(Regsvr32("/u /s"), 0u);
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "CLSID\\" + GUIDToString(kClsidA)));
}
