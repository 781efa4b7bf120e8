// The repository wizard for a shell-view form (ancestor TNxShellViewForm):
// new units from the NxShellViewForm templates.
// Before each generation it adds its build's version flag to ExtraFlags (never cleared), so that
// the Pascal unit names Variants once in either IDE version.
#pragma once

#include "wizard/NxWizardExpertModule.h"
#include "wizard/NxWizardBuild.h"

class TNxShellViewFormExpertModule : public TNxWizardExpertModule {
  VD_CLASS(TNxShellViewFormExpertModule, TNxWizardExpertModule);

public:
  explicit TNxShellViewFormExpertModule(const TBuildProfile& Build);
  ~TNxShellViewFormExpertModule() override;

protected:
  void AddGenerationFlags() override;

private:
  const TBuildProfile& FBuild;
};

// The holder InitExperts made; freed at the library's unload.
extern TNxShellViewFormExpertModule* NxShellViewFormExpertModule;
