#include "classlib/DataModule.h"

#include <windows.h>

#include <algorithm>
#include <mutex>
#include <vector>

void (*ApplicationHandleException)(TObject* Sender) = nullptr;

VD_DEFINE_CLASS(TDataModule) {
  C.Property("OldCreateOrder", &TDataModule::FOldCreateOrder, &TDataModule::FOldCreateOrder);
  C.Property("OnCreate", &TDataModule::OnCreate, &TDataModule::OnCreate);
  C.Property("OnDestroy", &TDataModule::OnDestroy, &TDataModule::OnDestroy);
}

namespace {

// Live data modules with the thread that made each, for "Module.Component" references.
struct TModuleList {
  TCriticalSection Lock;
  std::vector<std::pair<TDataModule*, DWORD>> Modules;
};

TModuleList& Modules() {
  static TModuleList L;
  return L;
}

TComponent* FindModuleComponent(const std::string& Name) { return FindDataModule(Name); }

void AddModule(TDataModule* Module) {
  static const bool Registered = (RegisterFindGlobalComponentProc(&FindModuleComponent), true);
  (void)Registered;
  auto& L = Modules();
  std::lock_guard Guard(L.Lock);
  L.Modules.emplace_back(Module, GetCurrentThreadId());
}

void RemoveModule(TDataModule* Module) {
  auto& L = Modules();
  std::lock_guard Guard(L.Lock);
  auto& M = L.Modules;
  M.erase(std::remove_if(M.begin(), M.end(), [Module](const auto& E) { return E.first == Module; }),
          M.end());
}

}  // namespace

TDataModule* FindDataModule(const std::string& Name) {
  if (Name.empty()) return nullptr;
  auto& L = Modules();
  std::lock_guard Guard(L.Lock);
  DWORD Thread = GetCurrentThreadId();
  TDataModule* Other = nullptr;
  for (auto It = L.Modules.rbegin(); It != L.Modules.rend(); ++It) {
    if (!SameText(It->first->Name(), Name)) continue;
    if (It->second == Thread) return It->first;
    if (!Other) Other = It->first;
  }
  return Other;
}

TDataModule::TDataModule(TComponent* AOwner) : TComponent(AOwner) {}

TDataModule::~TDataModule() = default;

void TDataModule::AfterConstruction() {
  inherited::AfterConstruction();
  if (ClassType() != StaticClass() && !ComponentState().Contains(csDesigning)) {
    if (!InitInheritedComponent(this, StaticClass()))
      throw EResNotFound("Resource " + ClassName() + " not found");
  }
  AddModule(this);
  if (FOldCreateOrder) {
    FCreateCalled = true;
    DoCreate();
  }
  FConstructedCalled = true;
  Constructed();
  if (!FOldCreateOrder) {
    FCreateCalled = true;
    DoCreate();
  }
}

void TDataModule::BeforeDestruction() {
  Destroying();
  // The create order decides the destroy order too (it cannot change in between).
  bool Old = FOldCreateOrder;
  if (!Old && FCreateCalled) DoDestroy();
  if (FConstructedCalled) Destructing();
  if (Old && FCreateCalled) DoDestroy();
  RemoveModule(this);
  inherited::BeforeDestruction();
}

bool TDataModule::HandleCreateException() {
  if (!ApplicationHandleException) return false;
  ApplicationHandleException(this);
  return true;
}

void TDataModule::DoCreate() {
  if (!OnCreate) return;
  try {
    OnCreate(this);
  } catch (...) {
    if (!HandleCreateException()) throw;
  }
}

void TDataModule::DoDestroy() {
  if (!OnDestroy) return;
  try {
    OnDestroy(this);
  } catch (...) {
    if (!HandleCreateException()) throw;
  }
}

void TDataModule::DefineProperties(TFiler* Filer) {
  inherited::DefineProperties(Filer);
  auto Define = [Filer](const char* Name, LONG& Field) {
    Filer->DefineProperty(
        Name, [&Field](TReader& R) { Field = R.ReadInteger(); },
        [&Field](TWriter& W) { W.WriteInteger(Field); }, Field != 0);
  };
  Define("Left", FDesignOffset.x);
  Define("Top", FDesignOffset.y);
  Define("Height", FDesignSize.y);
  Define("Width", FDesignSize.x);
}
