#include "nx/NxDataModule.h"

#include <atomic>
#include <mutex>

#include "classlib/TypInfo.h"
#include "nx/NxUnitOrder.h"

namespace {
std::atomic<TNxModuleHook> g_createdHook{nullptr};
std::atomic<TNxModuleHook> g_destroyedHook{nullptr};

// The icon lists and their lock, guarded by a mutex of their own while they are made or freed.
TCriticalSection g_sharedMutex;
TNxIconList* g_sharedLists[2] = {nullptr, nullptr};
TCriticalSection* g_sharedLock = nullptr;

const TUnitRegistration kUnit(nxrDataModule, {"NxDataModule", &NxDataModuleInitialize, &NxDataModuleFinalize});
}  // namespace

VD_DEFINE_CLASS(TNxModule) {
  // Always written: a module's threading choice is never left to a default.
  C.Property("ThreadFree", &TNxModule::FThreadFree, &TNxModule::SetThreadFree);
}

TNxModule::TNxModule(TComponent* AOwner) : TDataModule(AOwner) {}

TNxModule::~TNxModule() = default;

void TNxModule::AfterConstruction() {
  inherited::AfterConstruction();
  if (TNxModuleHook Hook = g_createdHook.load(std::memory_order_acquire)) Hook(this);
}

void TNxModule::BeforeDestruction() {
  if (TNxModuleHook Hook = g_destroyedHook.load(std::memory_order_acquire)) Hook(this);
  inherited::BeforeDestruction();
}

void SetNxModuleHooks(TNxModuleHook Created, TNxModuleHook Destroyed) noexcept {
  g_createdHook.store(Created, std::memory_order_release);
  g_destroyedHook.store(Destroyed, std::memory_order_release);
}

// ---- Shared icon lists ----------------------------------------------------------------------------

TNxIconList* NxSharedIconList(TNxSharedIconSize Size) {
  EnsureUnitsStarted();
  std::lock_guard<TCriticalSection> Guard(g_sharedMutex);
  TNxIconList*& List = g_sharedLists[Size == nisSmall ? 1 : 0];
  if (List == nullptr) {
    List = TNxIconList::Create(nullptr);  // 32 by 32
    if (Size == nisSmall) {
      List->SetWidth(16);
      List->SetHeight(16);
    }
  }
  return List;
}

TCriticalSection* NxSharedIconListLock() {
  EnsureUnitsStarted();
  std::lock_guard<TCriticalSection> Guard(g_sharedMutex);
  if (g_sharedLock == nullptr) g_sharedLock = TCriticalSection::Create();
  return g_sharedLock;
}

void NxDataModuleInitialize() {}

void NxDataModuleFinalize() {
  std::lock_guard<TCriticalSection> Guard(g_sharedMutex);
  for (TNxIconList*& List : g_sharedLists) FreeAndNil(List);
  FreeAndNil(g_sharedLock);
}
