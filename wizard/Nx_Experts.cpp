#include "wizard/Nx_Experts.h"

#include "classlib/UIServices.h"
#include "classlib/UnitInit.h"
#include "ide/IdeInterfaced.h"
#include "wizard/NxWizardBuild.h"
#include "wizard/Nx_ActivationVerbs.h"
#include "wizard/Nx_DefaultShellFolderIcon.h"
#include "wizard/Nx_Expert_NxAboutModule_NP.h"
#include "wizard/Nx_Expert_NxDataModule_NP.h"
#include "wizard/Nx_Expert_NxPermanentModule_NP.h"
#include "wizard/Nx_Expert_NxPropSheetForm_NP.h"
#include "wizard/Nx_Expert_NxShellViewForm_NP.h"
#include "wizard/Nx_IconListEditor.h"
#include "wizard/Nx_NamespaceColumnsPropEditor.h"
#include "wizard/Nx_PropertySheetEditor.h"
#include "wizard/Nx_Property_GUID.h"
#include "wizard/Nx_ShellCommandEditor.h"
#include "wizard/Nx_ShellViewFormPropEdit.h"
#include "wizard/Nx_SimpleTreeComponentEditor.h"

namespace Nx_Experts {

namespace {

bool g_Initialized = false;

// In the IDE a plug-in's dialogs run on the IDE's application object, whose exception report shows
// what a handler raised. The class library linked into the plug-in has an application of its own,
// so its report is handed to the IDE's; everything else stays the class library's.
class TIdeUIServices : public TUIServices {
public:
  void ShowException(Exception& E) override { IdeHandleException(E.ClassName(), E.Message().c_str()); }
} g_IdeUIServices;

// Installs the IDE's report unless a program (a test) has installed services of its own.
void UseIdeExceptionReport() {
  if (TUIServices* Installed = SetUIServices(&g_IdeUIServices)) SetUIServices(Installed);
}

}  // namespace

// The editors' registration procedures, in the order of their rows: property-sheet list, CLSID,
// icon list, default icon, shell commands, simple tree, shell-view form class, activation verbs,
// namespace columns.
void RegisterEditors() {
  Nx_PropertySheetEditor_DoRegister();
  Nx_Property_GUID_DoRegister();
  Nx_IconListEditor_DoRegister();
  Nx_DefaultShellFolderIcon_DoRegister();
  Nx_ShellCommandEditor_DoRegister();
  Nx_SimpleTreeComponentEditor_DoRegister();
  Nx_ShellViewFormPropEdit_DoRegister();
  Nx_ActivationVerbs_DoRegister();
  Nx_NamespaceColumnsPropEditor_DoRegister();
}

void InitExperts() {
  EnsureUnitsStarted();
  if (g_Initialized) return;
  g_Initialized = true;
  UseIdeExceptionReport();
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
