// The data module on which shell-object components are placed. One instance serves each
// apartment thread (kept and reused), or, with ThreadFree, each COM object (freed with it); the
// COM side (NxComObj) keeps track of the instances through the two module hooks.
#pragma once

#include "classlib/DataModule.h"
#include "nx/NxIconList.h"
#include "classlib/SyncObjs.h"

class TNxModule : public TDataModule {
  VD_CLASS(TNxModule, TDataModule);

public:
  explicit TNxModule(TComponent* AOwner);
  // The inherited construction (the form resource is read, so ThreadFree has its stored value),
  // then the module-created hook.
  void AfterConstruction() override;
  // The module-destroyed hook, then the inherited destruction.
  void BeforeDestruction() override;

  // False: one instance per apartment thread. True: one instance per COM object.
  bool ThreadFree() const noexcept { return FThreadFree; }
  void SetThreadFree(bool Value) noexcept { FThreadFree = Value; }

protected:
  ~TNxModule() override;

private:
  bool FThreadFree = false;
};

using TNxModuleClass = TClassRef<TNxModule>;

// Told about every module made and freed; set by the COM side at its start-up (nil: nobody
// listens). A hook must not raise.
using TNxModuleHook = void (*)(TNxModule* Module);
void SetNxModuleHooks(TNxModuleHook Created, TNxModuleHook Destroyed) noexcept;

// ---- Shared icon lists ----------------------------------------------------------------------------
// Two lists for shell-object code that wants to share icons (32 by 32 and 16 by 16), made on first
// use and freed at the unit's shutdown, with a lock for their users. Nothing in the framework
// itself reads them.

enum TNxSharedIconSize { nisLarge /*32 by 32*/, nisSmall /*16 by 16*/ };
TNxIconList* NxSharedIconList(TNxSharedIconSize Size);
TCriticalSection* NxSharedIconListLock();

// Unit start-up (nothing: the lists are made on demand) and shutdown (frees them).
void NxDataModuleInitialize();
void NxDataModuleFinalize();
