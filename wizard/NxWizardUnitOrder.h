// Places of the wizard's units in the plug-in's start-up order (shutdown runs in reverse). They come
// where a project's own units come, after the class library's.
#pragma once

#include "classlib/UnitInit.h"

enum TNxWizardUnitRank : int {
  nxwCreators = urProjectDataModules + 10,  // UnitExtension
  nxwAboutExpert = urProjectDataModules + 20,
  nxwDataModuleExpert = urProjectDataModules + 30,
  nxwPermanentModuleExpert = urProjectDataModules + 40,
  nxwShellViewFormExpert = urProjectDataModules + 50,
  nxwPropSheetFormExpert = urProjectDataModules + 60,
};
