#include "wizard/Nx_Experts.h"

#include "classlib/UnitInit.h"
#include "ide/IdeInterfaced.h"
#include "wizard/NxWizardBuild.h"
#include "wizard/Nx_Expert_NxAboutModule_NP.h"
#include "wizard/Nx_Expert_NxDataModule_NP.h"
#include "wizard/Nx_Expert_NxPermanentModule_NP.h"
#include "wizard/Nx_Expert_NxPropSheetForm_NP.h"
#include "wizard/Nx_Expert_NxShellViewForm_NP.h"
#include "wizard/Nx_ActivationVerbs.h"
#include "wizard/Nx_IconListEditor.h"
#include "wizard/Nx_NamespaceColumnsPropEditor.h"
#include "wizard/Nx_ShellViewFormPropEdit.h"
#include "wizard/Nx_SimpleTreeComponentEditor.h"

namespace Nx_Experts {

namespace {

bool g_Initialized = false;

// The editors' registration procedures, in the order of their rows: property-sheet list, CLSID,
// icon list, default icon, shell commands, simple tree, shell-view form class, activation verbs,
// namespace columns.
void RegisterEditors() {
  Nx_IconListEditor_DoRegister();
  Nx_SimpleTreeComponentEditor_DoRegister();
  Nx_ShellViewFormPropEdit_DoRegister();
  Nx_ActivationVerbs_DoRegister();
  Nx_NamespaceColumnsPropEditor_DoRegister();
}

}  // namespace

void InitExperts() {
  EnsureUnitsStarted();
  if (g_Initialized) return;
  g_Initialized = true;
  NxAboutModuleExpertModule = TNxAboutModuleExpertModule::Create();
  NxDataModuleExpertModule = TNxDataModuleExpertModule::Create();
  NxPermanentModuleExpertModule = TNxPermanentModuleExpertModule::Create();
  NxShellViewFormExpertModule = TNxShellViewFormExpertModule::Create(ThisBuild());
  NxPropSheetFormExpertModule = TNxPropSheetFormExpertModule::Create();
  RegisterEditors();
}

void CallInitExperts() noexcept {
  CallGuarded([] { InitExperts(); });
}

}  // namespace Nx_Experts
