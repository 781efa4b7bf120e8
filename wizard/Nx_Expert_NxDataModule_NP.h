// The repository wizard for a data module (ancestor TNxModule):
// new units from the NxModule templates.
#pragma once

#include "wizard/NxWizardExpertModule.h"

class TNxDataModuleExpertModule : public TNxWizardExpertModule {
  VD_CLASS(TNxDataModuleExpertModule, TNxWizardExpertModule);

public:
  TNxDataModuleExpertModule();
  ~TNxDataModuleExpertModule() override;
};

// The holder InitExperts made; freed at the library's unload.
extern TNxDataModuleExpertModule* NxDataModuleExpertModule;
