// The test COM server: the test data modules behind the class library's four exports, plus two
// exports that let the host look inside.
#include <windows.h>

#include "classlib/ComServ.h"
#include "classlib/ModuleRuntime.h"
#include "classlib/UnitInit.h"
#include "nx/NxComObj.h"
#include "nx/NxPropertySheetExt.h"
#include "tests/nx/comserver_module.h"

VD_COM_SERVER_EXPORTS

// The data module that holds the component behind Object (nil when it is no shell object).
extern "C" void* WINAPI NxTestModuleOf(IUnknown* Object) {
  try {
    EnsureUnitsStarted();
    INxShellObject* Shell = nullptr;
    if (Object == nullptr || FAILED(Object->QueryInterface(IID_INxShellObject, reinterpret_cast<void**>(&Shell))))
      return nullptr;
    TComponent* Owner = Shell->GetComponent()->Owner();
    Shell->Release();
    return Owner;
  } catch (...) {
    return nullptr;
  }
}

// Live apartment modules of the test module class.
extern "C" int WINAPI NxTestLiveModules() { return TTestShellModule::Live; }

// What keeps the server loaded: live objects, server locks, property-sheet pages not yet released.
extern "C" void WINAPI NxTestServerState(int* Objects, int* Locks, int* PageRecords) {
  EnsureUnitsStarted();
  if (Objects) *Objects = ComServer()->ObjectCount();
  if (Locks) *Locks = ComServer()->LockCount();
  if (PageRecords) *PageRecords = nx_detail::LivePageRecords();
}

VD_LIBRARY_DLLMAIN
