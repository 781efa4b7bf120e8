#include "wizard/Nx_Expert_NxAboutModule_NP.h"

#include "wizard/NxWizardUnitOrder.h"

VD_DEFINE_CLASS(TNxAboutModuleExpertModule) {}

TNxAboutModuleExpertModule* NxAboutModuleExpertModule = nullptr;

namespace {
void Finalize() {
  if (NxAboutModuleExpertModule) NxAboutModuleExpertModule->Free();
}
const TUnitRegistration kUnit(nxwAboutExpert, {"Nx_Expert_NxAboutModule_NP", nullptr, &Finalize});
}  // namespace

TNxAboutModuleExpertModule::TNxAboutModuleExpertModule() : Expert(new TCBISimpleExpert) {
  Expert->ExpertName = "NxAboutExpert";
  Expert->MenuText = "About &Nacre+";
  Expert->State |= esEnabled;
  try {
    Expert->Register();
  } catch (...) {
    Expert->Release();
    throw;
  }
}

TNxAboutModuleExpertModule::~TNxAboutModuleExpertModule() {
  if (NxAboutModuleExpertModule == this) NxAboutModuleExpertModule = nullptr;
  Expert->Release();  // takes it out of the IDE
}
