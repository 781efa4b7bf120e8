#include "tests/nx/comserver_module.h"

#include "classlib/TypInfo.h"
#include "classlib/UnitInit.h"

VD_DEFINE_CLASS(TTestPlainPart) {}

VD_DEFINE_CLASS(TTestShellModule) {
  C.Method<&TTestShellModule::RecordBefore>("RecordBefore");
  C.Method<&TTestShellModule::RecordOn>("RecordOn");
  C.Method<&TTestShellModule::RecordAfter>("RecordAfter");
}

VD_DEFINE_CLASS(TTestFreeModule) { C.Method<&TTestFreeModule::AllowRelease>("AllowRelease"); }

void TTestShellModule::Record(const std::string& Stage, TObject* Sender, bool Register) {
  auto* Component = dynamic_cast<TComponent*>(Sender);
  Log.push_back(Stage + " " + (Component ? Component->Name() : "?") + (Register ? " 1" : " 0"));
  if (Stage == FailOn) throw EInvalidOperation("handler failed at " + Stage);
}

namespace {
// The project's data-module unit: one factory per shell object of each module class.
void RegisterTestModules() {
  RegisterClass(ClassOf<TTestPlainPart>());
  RegisterNxDataModule(ComServer(), TNxModuleClass::Of<TTestShellModule>());
  RegisterNxDataModule(ComServer(), TNxModuleClass::Of<TTestFreeModule>());
}
const TUnitRegistration kUnit(urProjectDataModules, {"ComServerTestModules", &RegisterTestModules, nullptr});
}  // namespace
