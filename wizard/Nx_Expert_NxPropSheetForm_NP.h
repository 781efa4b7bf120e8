// The repository wizard for a property-sheet page form (ancestor TNxShellPropSheetForm):
// new units from the NxShellPropSheetForm templates.
#pragma once

#include "wizard/NxWizardExpertModule.h"

class TNxPropSheetFormExpertModule : public TNxWizardExpertModule {
  VD_CLASS(TNxPropSheetFormExpertModule, TNxWizardExpertModule);

public:
  TNxPropSheetFormExpertModule();
  ~TNxPropSheetFormExpertModule() override;
};

// The holder InitExperts made; freed at the library's unload.
extern TNxPropSheetFormExpertModule* NxPropSheetFormExpertModule;
