// The repository wizard for a permanent module (ancestor TNxPermanentModule):
// new units from the NxPermanentModule templates.
#pragma once

#include "wizard/NxWizardExpertModule.h"

class TNxPermanentModuleExpertModule : public TNxWizardExpertModule {
  VD_CLASS(TNxPermanentModuleExpertModule, TNxWizardExpertModule);

public:
  TNxPermanentModuleExpertModule();
  ~TNxPermanentModuleExpertModule() override;
};

// The holder InitExperts made; freed at the library's unload.
extern TNxPermanentModuleExpertModule* NxPermanentModuleExpertModule;
